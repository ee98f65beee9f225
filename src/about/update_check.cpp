#include "about/update_check.h"

#include <cstdio>
#include <string>

#include "about/maker_site.h"
#include "platform/services/shell_services.h"
#include "platform/user/user.h"

namespace {

bool IsKept(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'.' || c == u'/';
}

// Appends to a buffer of kUpdateAddressCapacity units, keeping room for the terminator; once
// something did not fit, nothing more is added and `fits` stays false.
struct AddressWriter {
    char16_t* out;
    size_t used = 0;
    bool fits = true;
    void Add(const char16_t* s) {
        for (; *s; ++s) Add(*s);
    }
    void Add(char16_t c) {
        if (!fits || used + 1 >= kUpdateAddressCapacity) {
            fits = false;
            return;
        }
        out[used++] = c;
    }
    void AddAscii(const char* s) {
        for (; *s; ++s) Add(char16_t(*s));
    }
};

}  // namespace

bool BuildUpdateAddress(const char16_t* productId, char16_t* out) {
    for (size_t i = 0; i < kUpdateAddressCapacity; ++i) out[i] = 0;
    AddressWriter w{out};
    w.Add(kMakerSite);
    w.Add(u"/cgi-bin/upgrade?p=arm/");
    for (const char16_t* p = productId; *p; ++p) {
        if (*p == u' ') {
            w.Add(u'+');
        } else if (IsKept(*p)) {
            w.Add(*p);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%%%.2X", unsigned(*p));
            w.AddAscii(hex);
        }
    }
    w.Add(u"&v=");
    w.Add(kProgramVersion);
    if (!w.fits) {
        for (size_t i = 0; i < kUpdateAddressCapacity; ++i) out[i] = 0;
        return false;
    }
    out[w.used] = 0;
    return true;
}

void OpenWebAddress(HWND owner, const char16_t* address) {
    SHELLEXECUTEINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = u"Open";
    info.lpFile = address;
    if (ShellExecuteEx(&info)) return;
    // The shell shows no error of its own (SEE_MASK_FLAG_NO_UI): the address is shown instead,
    // where it can be copied (Ctrl+C) and opened by hand.
    std::u16string text = u"Could not open this address:\n";
    text += address;
    MessageBox(owner, text.c_str(), u"Orvanel", MB_ICONEXCLAMATION);
}

// An address that does not fit its buffer is not opened: a cut-short query would name another
// product or version.
void CheckForUpdates(HWND owner) {
    char16_t address[kUpdateAddressCapacity];
    if (BuildUpdateAddress(kUpdateProductId, address)) OpenWebAddress(owner, address);
}
