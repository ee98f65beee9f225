#include "book_encoding.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr char32_t kAlef = 0x05D0;
constexpr char32_t kFinalKaf = 0x05DA;
constexpr char32_t kLamed = 0x05DC;
constexpr char32_t kVav = 0x05D5;
constexpr char32_t kResh = 0x05E8;
constexpr char32_t kShin = 0x05E9;
constexpr char32_t kTav = 0x05EA;
constexpr char32_t kDagesh = 0x05BC;
constexpr char32_t kShinDot = 0x05C1;
constexpr char32_t kSinDot = 0x05C2;
constexpr char32_t kQamats = 0x05B8;
constexpr char32_t kSheva = 0x05B0;
constexpr char32_t kHolam = 0x05B9;

constexpr uint8_t kFirstLetterByte = 0x61;

bool IsLetter(char32_t c) {
    return c >= kAlef && c <= kTav;
}

// Vowel point -> book byte, 0 when the point has no byte.
uint8_t PointByte(char32_t c) {
    switch (c) {
        case 0x05B4:
            return 0x15;  // hiriq
        case 0x05B8:
            return 0x16;  // qamats
        case 0x05B7:
            return 0x17;  // patah
        case 0x05B5:
            return 0x18;  // tsere
        case 0x05B6:
            return 0x19;  // segol
        case 0x05BB:
            return 0x1A;  // qubuts
        case 0x05B0:
            return 0x1B;  // sheva
        case 0x05B3:
            return 0x1C;  // hataf qamats
        case 0x05B2:
            return 0x1D;  // hataf patah
        case 0x05B1:
            return 0x1E;  // hataf segol
        case 0x05B9:
            return 0x1F;  // holam
        default:
            return 0;
    }
}

char32_t PointFromByte(uint8_t b) {
    static constexpr char32_t kPoints[] = {0x05B4, 0x05B8, 0x05B7, 0x05B5, 0x05B6, 0x05BB,
                                           0x05B0, 0x05B3, 0x05B2, 0x05B1, 0x05B9};
    return kPoints[b - 0x15];
}

bool IsPointByte(uint8_t b) {
    return b >= 0x15 && b <= 0x1F;
}

// Letter with dagesh (or he with mapiq) -> book byte, 0 when the encoding has none.
uint8_t DageshByte(char32_t letter) {
    switch (letter) {
        case 0x05D1:
            return 0x45;
        case 0x05D2:
            return 0x46;
        case 0x05D3:
            return 0x47;
        case 0x05D4:
            return 0x48;
        case 0x05D5:
            return 0x49;
        case 0x05D6:
            return 0x4A;
        case 0x05D8:
            return 0x4B;
        case 0x05D9:
            return 0x4C;
        case 0x05DA:
            return 0x4D;
        case 0x05DB:
            return 0x4E;
        case 0x05DC:
            return 0x4F;
        case 0x05DE:
            return 0x50;
        case 0x05E0:
            return 0x51;
        case 0x05E1:
            return 0x52;
        case 0x05E4:
            return 0x53;
        case 0x05E6:
            return 0x54;
        case 0x05E7:
            return 0x55;
        case 0x05E9:
            return 0x56;
        case 0x05EA:
            return 0x57;
        case 0x05E8:
            return 0x14;
        default:
            return 0;
    }
}

// A letter with its marks, as read from the source.
struct Cluster {
    char32_t base = 0;  // a letter, or any other single character
    bool dagesh = false;
    int dot = 0;  // 1 shin dot, 2 sin dot
    std::u32string points;
    size_t index = 0;
};

// The decomposition of the Hebrew presentation forms; false when `c` is not one.
bool DecomposePresentationForm(char32_t c, Cluster* cluster) {
    switch (c) {
        case 0xFB1D:
            cluster->base = 0x05D9;
            cluster->points += 0x05B4;
            return true;
        case 0xFB2A:
            cluster->base = kShin;
            cluster->dot = 1;
            return true;
        case 0xFB2B:
            cluster->base = kShin;
            cluster->dot = 2;
            return true;
        case 0xFB2C:
            cluster->base = kShin;
            cluster->dot = 1;
            cluster->dagesh = true;
            return true;
        case 0xFB2D:
            cluster->base = kShin;
            cluster->dot = 2;
            cluster->dagesh = true;
            return true;
        case 0xFB2E:
            cluster->base = kAlef;
            cluster->points += 0x05B7;
            return true;
        case 0xFB2F:
            cluster->base = kAlef;
            cluster->points += 0x05B8;
            return true;
        case 0xFB4B:
            cluster->base = kVav;
            cluster->points += kHolam;
            return true;
        default:
            break;
    }
    // U+FB30-U+FB4A: letter with dagesh, in letter order with gaps.
    static constexpr char16_t kDageshForms[] = {
        0x05D0, 0x05D1, 0x05D2, 0x05D3, 0x05D4, 0x05D5, 0x05D6, 0,      0x05D8,
        0x05D9, 0x05DA, 0x05DB, 0x05DC, 0,      0x05DE, 0,      0x05E0, 0x05E1,
        0,      0x05E3, 0x05E4, 0,      0x05E6, 0x05E7, 0x05E8, 0x05E9, 0x05EA};
    if (c >= 0xFB30 && c <= 0xFB4A && kDageshForms[c - 0xFB30] != 0) {
        cluster->base = kDageshForms[c - 0xFB30];
        cluster->dagesh = true;
        return true;
    }
    return false;
}

bool IsMark(char32_t c) {
    return c == kDagesh || c == kShinDot || c == kSinDot || PointByte(c) != 0;
}

// Characters that stand for an ASCII one.
char32_t AsciiStandIn(char32_t c) {
    switch (c) {
        case 0x05BE:
            return U'-';  // maqaf
        case 0x05F3:
            return U'\'';  // geresh
        case 0x05F4:
            return U'"';  // gershayim
        default:
            return c;
    }
}

bool IsStorableAscii(char32_t c) {
    return (c >= 0x20 && c <= 0x40) || (c >= 0x5B && c <= 0x60) || (c >= 0x7C && c <= 0x7E);
}

std::string Describe(const char* what, char32_t c) {
    return std::string(what) + " " + CodePointName(c);
}

// Splits the text into clusters; false with `error` set at the first character that does not
// belong to the encodable repertoire.
bool SplitClusters(std::u32string_view text, std::vector<Cluster>* clusters, EncodeError* error) {
    auto fail = [&](size_t index, std::string message) {
        error->index = index;
        error->codePoint = text[index];
        error->message = std::move(message);
        return false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = AsciiStandIn(text[i]);
        Cluster cluster;
        cluster.index = i;
        if (IsLetter(c)) {
            cluster.base = c;
        } else if (DecomposePresentationForm(c, &cluster)) {
        } else if (IsMark(c)) {
            return fail(i, Describe("mark without a letter:", c));
        } else if (IsStorableAscii(c)) {
            cluster.base = c;
            clusters->push_back(cluster);
            continue;
        } else if (c >= 0x41 && c <= 0x7A) {
            return fail(i, Describe("Latin letter cannot be encoded (its byte is Hebrew):", c));
        } else {
            return fail(i, Describe("character cannot be encoded:", c));
        }
        // The marks of a letter, in any order.
        while (i + 1 < text.size() && IsMark(text[i + 1])) {
            char32_t mark = text[++i];
            if (mark == kDagesh) {
                cluster.dagesh = true;
            } else if (mark == kShinDot || mark == kSinDot) {
                int dot = mark == kShinDot ? 1 : 2;
                if (cluster.base != kShin)
                    return fail(i, Describe("dot on a letter other than shin:", mark));
                if (cluster.dot != 0 && cluster.dot != dot)
                    return fail(i, "shin with both shin and sin dot");
                cluster.dot = dot;
            } else {
                cluster.points += mark;
            }
        }
        if (cluster.dagesh && DageshByte(cluster.base) == 0) {
            return fail(cluster.index, Describe("dagesh cannot be encoded on", cluster.base));
        }
        clusters->push_back(cluster);
    }
    return true;
}

// Removes the first of the given points from the cluster, true when there was one.
bool TakePoint(Cluster* cluster, char32_t a, char32_t b, char32_t* taken) {
    for (size_t k = 0; k < cluster->points.size(); ++k) {
        char32_t p = cluster->points[k];
        if (p == a || p == b) {
            *taken = p;
            cluster->points.erase(k, 1);
            return true;
        }
    }
    return false;
}

// The letter byte of a cluster; the point a pair byte absorbs is removed from `cluster`.
uint8_t LetterByte(Cluster* cluster) {
    const char32_t base = cluster->base;
    char32_t taken = 0;
    if (base == kShin && cluster->dot != 0) {
        return static_cast<uint8_t>(0x41 + (cluster->dot - 1) + (cluster->dagesh ? 2 : 0));
    }
    if (base == kFinalKaf && TakePoint(cluster, kQamats, kSheva, &taken)) {
        return static_cast<uint8_t>((taken == kQamats ? 0x10 : 0x12) + (cluster->dagesh ? 1 : 0));
    }
    if (base == kLamed && TakePoint(cluster, kHolam, kHolam, &taken)) {
        return cluster->dagesh ? 0x59 : 0x5A;
    }
    if (base == kVav && !cluster->dagesh && TakePoint(cluster, kHolam, kHolam, &taken)) return 0x58;
    if (cluster->dagesh) return DageshByte(base);
    return static_cast<uint8_t>(kFirstLetterByte + (base - kAlef));
}

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
bool IsNumberSeparator(char32_t c) {
    return c == U'.' || c == U',' || c == U':' || c == U'/' || c == U'+' || c == U'-';
}

// Brackets turn round when a right-to-left text is stored in display order. Unlike the reader's
// Reverse, braces are left alone: "{" is not storable (byte 0x7B is a letter), so mirroring "}"
// would change a punctuation mark into a letter.
char32_t Mirrored(char32_t c) {
    switch (c) {
        case U'(':
            return U')';
        case U')':
            return U'(';
        case U'[':
            return U']';
        case U']':
            return U'[';
        default:
            return c;
    }
}

// The units that display order reverses: single clusters, and runs of digits (with single
// separators between digits) that keep their order. `isDigit(k)` / `isSeparator(k)` classify
// item k. Returns [begin, end) pairs in reading order.
template <typename DigitTest, typename SeparatorTest>
std::vector<std::pair<size_t, size_t>> DisplayUnits(size_t count, DigitTest isDigit,
                                                    SeparatorTest isSeparator) {
    std::vector<std::pair<size_t, size_t>> units;
    size_t k = 0;
    while (k < count) {
        size_t end = k + 1;
        if (isDigit(k)) {
            while (end < count) {
                if (isDigit(end)) {
                    ++end;
                } else if (end + 1 < count && isSeparator(end) && isDigit(end + 1)) {
                    end += 2;
                } else {
                    break;
                }
            }
        }
        units.emplace_back(k, end);
        k = end;
    }
    return units;
}

void AppendLetterMarks(char32_t base, bool dagesh, int dot, std::u32string* out) {
    *out += base;
    if (dagesh) *out += kDagesh;
    if (dot != 0) *out += dot == 1 ? kShinDot : kSinDot;
}

// The Unicode form of one non-point stored byte, marks included.
std::u32string DecodeByte(uint8_t b) {
    std::u32string out;
    if (b >= kFirstLetterByte && b <= 0x7B) {
        out += kAlef + (b - kFirstLetterByte);
    } else if (b >= 0x41 && b <= 0x44) {
        AppendLetterMarks(kShin, b >= 0x43, (b - 0x41) % 2 + 1, &out);
    } else if (b >= 0x45 && b <= 0x57) {
        static constexpr char16_t kBases[] = {
            0x05D1, 0x05D2, 0x05D3, 0x05D4, 0x05D5, 0x05D6, 0x05D8, 0x05D9, 0x05DA, 0x05DB,
            0x05DC, 0x05DE, 0x05E0, 0x05E1, 0x05E4, 0x05E6, 0x05E7, 0x05E9, 0x05EA};
        AppendLetterMarks(kBases[b - 0x45], true, 0, &out);
    } else if (b == 0x14) {
        AppendLetterMarks(kResh, true, 0, &out);
    } else if (b >= 0x10 && b <= 0x13) {
        AppendLetterMarks(kFinalKaf, (b & 1) != 0, 0, &out);
        out += b < 0x12 ? kQamats : kSheva;
    } else if (b == 0x58) {
        out = {kVav, kHolam};
    } else if (b == 0x59 || b == 0x5A) {
        AppendLetterMarks(kLamed, b == 0x59, 0, &out);
        out += kHolam;
    } else if ((b >= 0x01 && b <= 0x0F) || (b >= 0x20 && b <= 0x40) || (b >= 0x5B && b <= 0x60) ||
               (b >= 0x7C && b <= 0x7E)) {
        out += b;
    } else {
        out += 0xFFFD;
    }
    return out;
}

}  // namespace

std::string CodePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

bool EncodeBookText(std::u32string_view text, StoredOrder order, ByteString* out,
                    EncodeError* error) {
    std::vector<Cluster> clusters;
    if (!SplitClusters(text, &clusters, error)) return false;

    std::vector<ByteString> stored(clusters.size());
    for (size_t k = 0; k < clusters.size(); ++k) {
        Cluster& cluster = clusters[k];
        ByteString& bytes = stored[k];
        if (!IsLetter(cluster.base)) {
            char32_t c = order == StoredOrder::Display ? Mirrored(cluster.base) : cluster.base;
            bytes.push_back(static_cast<uint8_t>(c));
            continue;
        }
        uint8_t letter = LetterByte(&cluster);
        for (char32_t point : cluster.points) bytes.push_back(PointByte(point));
        bytes.push_back(letter);
    }

    out->clear();
    if (order == StoredOrder::Reading) {
        for (const ByteString& bytes : stored) out->insert(out->end(), bytes.begin(), bytes.end());
        return true;
    }
    auto units = DisplayUnits(
        clusters.size(), [&](size_t k) { return IsDigit(clusters[k].base); },
        [&](size_t k) { return IsNumberSeparator(clusters[k].base); });
    for (auto unit = units.rbegin(); unit != units.rend(); ++unit) {
        for (size_t k = unit->first; k < unit->second; ++k) {
            out->insert(out->end(), stored[k].begin(), stored[k].end());
        }
    }
    return true;
}

std::u32string DecodeBookText(const uint8_t* bytes, size_t count, StoredOrder order) {
    // Stored clusters: the points before a letter belong to it.
    std::vector<std::pair<size_t, size_t>> clusters;
    size_t start = 0;
    for (size_t k = 0; k < count; ++k) {
        if (!IsPointByte(bytes[k]) || k + 1 == count) {
            clusters.emplace_back(start, k + 1);
            start = k + 1;
        }
    }
    auto single = [&](size_t k) -> char32_t {
        auto [b, e] = clusters[k];
        return e - b == 1 ? bytes[b] : 0;
    };

    std::vector<size_t> readingOrder;
    if (order == StoredOrder::Reading) {
        for (size_t k = 0; k < clusters.size(); ++k) readingOrder.push_back(k);
    } else {
        auto units = DisplayUnits(
            clusters.size(), [&](size_t k) { return IsDigit(single(k)); },
            [&](size_t k) { return IsNumberSeparator(single(k)); });
        for (auto unit = units.rbegin(); unit != units.rend(); ++unit) {
            for (size_t k = unit->first; k < unit->second; ++k) readingOrder.push_back(k);
        }
    }

    std::u32string text;
    for (size_t k : readingOrder) {
        auto [b, e] = clusters[k];
        uint8_t last = bytes[e - 1];
        if (IsPointByte(last)) {
            // Points with no letter after them: only a damaged text has these.
            for (size_t i = b; i < e; ++i) text += PointFromByte(bytes[i]);
            continue;
        }
        std::u32string letter = DecodeByte(last);
        if (order == StoredOrder::Display && letter.size() == 1) letter[0] = Mirrored(letter[0]);
        text += letter;
        for (size_t i = b; i + 1 < e; ++i) text += PointFromByte(bytes[i]);
    }
    return text;
}

std::u32string CanonicalBookText(std::u32string_view text) {
    std::vector<Cluster> clusters;
    EncodeError ignored;
    SplitClusters(text, &clusters, &ignored);
    std::u32string out;
    for (Cluster& cluster : clusters) {
        if (!IsLetter(cluster.base)) {
            out += cluster.base;
            continue;
        }
        AppendLetterMarks(cluster.base, cluster.dagesh, cluster.dot, &out);
        // A point that shares a byte with its letter comes first, the others as written.
        char32_t taken = 0;
        if ((cluster.base == kFinalKaf && TakePoint(&cluster, kQamats, kSheva, &taken)) ||
            (cluster.base == kLamed && TakePoint(&cluster, kHolam, kHolam, &taken)) ||
            (cluster.base == kVav && !cluster.dagesh &&
             TakePoint(&cluster, kHolam, kHolam, &taken))) {
            out += taken;
        }
        out += cluster.points;
    }
    return out;
}

bool DecodeUtf8(std::string_view in, std::u32string* out, size_t* badIndex) {
    out->clear();
    size_t i = 0;
    while (i < in.size()) {
        auto byte = static_cast<unsigned char>(in[i]);
        size_t length = byte < 0x80         ? 1
                        : (byte >> 5) == 6  ? 2
                        : (byte >> 4) == 14 ? 3
                        : (byte >> 3) == 30 ? 4
                                            : 0;
        if (length == 0 || i + length > in.size()) break;
        char32_t c = length == 1 ? byte : byte & (0x7F >> length);
        bool ok = true;
        for (size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(in[i + k]);
            if ((next & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) break;
        *out += c;
        i += length;
    }
    if (i < in.size()) {
        if (badIndex) *badIndex = out->size();
        return false;
    }
    return true;
}

std::string EncodeUtf8(std::u32string_view in) {
    std::string out;
    for (char32_t c : in) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
