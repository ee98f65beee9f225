#pragma once
// Check For Updates: an address on the maker's server that names the processor, the product and
// the version, opened in the desktop's browser. The program reads no answer.
#include <cstddef>

#include "platform/win32_types.h"

constexpr size_t kUpdateAddressCapacity = 200;  // UTF-16 units, the terminator included
// The maker's name, a slash and the product's name.
constexpr char16_t kUpdateProductId[] = u"Velmora/Orvanel";

// Writes "<site>/cgi-bin/upgrade?p=arm/<product id, percent-encoded>&v=1.84a" into `out`
// (kUpdateAddressCapacity units). A space becomes "+"; digits, ASCII letters, "." and "/" stay;
// any other unit c becomes "%" and c in upper-case hexadecimal of at least two digits. Returns
// false, with `out` empty, when the address does not fit.
bool BuildUpdateAddress(const char16_t* productId, char16_t* out);

// Asks the shell to open the address with the verb "Open", with no error interface of the
// shell's; when it cannot, a message box names the address so that it can be copied.
void OpenWebAddress(HWND owner, const char16_t* address);

void CheckForUpdates(HWND owner);
