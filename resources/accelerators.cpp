// Accelerator table 3: the key labels the "Go" menu shows, bound to their commands.
#include "platform/resources.h"
#include "platform/user/user.h"

namespace {

constexpr ACCEL kGoKeys[] = {
    {FVIRTKEY | FCONTROL, 'F', 40006},  // Font
    {FVIRTKEY | FCONTROL, 'D', 119},    // Index
    {FVIRTKEY | FCONTROL, 'B', 123},    // Bookmark
    {FVIRTKEY | FALT, VK_F3, 116},      // Search
    {FVIRTKEY, VK_F3, 117},             // Search Again
    {FVIRTKEY | FCONTROL, 'C', 40007},  // Copy
    {FVIRTKEY | FCONTROL, 'E', 40009},  // Append to ClipBoard
    {FVIRTKEY | FCONTROL, 'Q', 40005},  // Exit
};

constexpr AcceleratorTable kGoTable{kGoKeys, int(sizeof kGoKeys / sizeof kGoKeys[0])};

}  // namespace

void RegisterAccelerators() {
    static const ResourceBlob blobs[] = {{RT_ACCELERATOR, 3, &kGoTable, sizeof kGoTable}};
    RegisterResources(blobs);
}
