#pragma once
// The maker's web site: the About link opens it, and the update check asks it for news. The
// link's text in dialog 103 is the host name.

// Scheme and host, with nothing after them.
constexpr char16_t kMakerSite[] = u"https://www.velmora.example";
constexpr int kMakerSchemeLength = 8;  // "https://"
// The host name alone, as the About link shows it.
constexpr const char16_t* kMakerHost = kMakerSite + kMakerSchemeLength;

constexpr char16_t kProgramVersion[] = u"1.84a";
