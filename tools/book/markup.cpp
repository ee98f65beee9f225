#include "markup.h"

#include <map>
#include <optional>

namespace {

constexpr size_t kMaxErrors = 50;
constexpr int kMaxIndexLevel = 20;
constexpr int kLastArticle = 26;

// StyleFlags bits.
constexpr uint8_t kParagraphEnd = 0x80;
constexpr uint8_t kAlignRight = 0x20;
constexpr uint8_t kAlignCenter = 0x40;
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kBold = 0x08;
constexpr uint8_t kBig = 0x04;
constexpr uint8_t kSmall = 0x02;
constexpr uint8_t kPlain = 0x01;
constexpr uint8_t kSeparator = 0x07;
constexpr uint8_t kTitleStyle = 0xDC;
constexpr uint8_t kSubtitleStyle = 0xD1;
constexpr uint8_t kIndexShown = 0x80;
constexpr uint8_t kIndexOpen = 0x40;

struct Position {
    int line = 0;
    int column = 0;
};

// A paragraph: its text with the source position of every character, and of the place just
// after the last one.
struct SourceParagraph {
    std::u32string text;
    std::vector<Position> where;
    Position end;
};

struct Token {
    std::u32string name;
    std::u32string value;  // after "=", or the word after a name that takes one
    bool hasValue = false;
    Position at;
};

bool IsBlank(char32_t c) {
    return c == U' ' || c == U'\t';
}

std::string Narrow(std::u32string_view s) {
    return EncodeUtf8(s);
}

std::optional<long> ParseNumber(std::u32string_view s) {
    if (s.empty()) return std::nullopt;
    int base = 10;
    if (s.size() > 2 && s[0] == U'0' && (s[1] == U'x' || s[1] == U'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    long value = 0;
    for (char32_t c : s) {
        int digit = c >= U'0' && c <= U'9'   ? c - U'0'
                    : c >= U'a' && c <= U'f' ? c - U'a' + 10
                    : c >= U'A' && c <= U'F' ? c - U'A' + 10
                                             : 99;
        if (digit >= base || value > 1000000) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

class SourceParser {
public:
    SourceParser(SourceKind kind, std::vector<BookRecord>* records,
                 std::vector<SourceError>* errors)
        : kind_(kind), records_(records), errors_(errors) {}

    void Parse(std::string_view content);

private:
    struct IndexEntry {
        bool group = false;
        int number = 0;
        int level = 0;
        bool open = false;
        Position at;
    };

    void Error(Position at, std::string message) {
        if (errors_->size() < kMaxErrors) {
            errors_->push_back({at.line, at.column, std::move(message)});
        }
    }
    void HandleParagraph(const SourceParagraph& p);
    bool SplitHeader(const SourceParagraph& p, std::vector<Token>* tokens, size_t* textStart);
    void ArticleParagraph(const SourceParagraph& p, const std::vector<Token>& tokens, size_t start);
    void IndexParagraph(const SourceParagraph& p, const std::vector<Token>& tokens, size_t start);
    bool Encode(const SourceParagraph& p, size_t start, StoredOrder order,
                const std::u32string& text, size_t shift, BookRecord* record);
    void FinishIndex();

    SourceKind kind_;
    std::vector<BookRecord>* records_;
    std::vector<SourceError>* errors_;
    bool previousIsText_ = false;
    std::vector<IndexEntry> entries_;
};

void SourceParser::Parse(std::string_view content) {
    SourceParagraph paragraph;
    auto flush = [&] {
        if (!paragraph.text.empty()) HandleParagraph(paragraph);
        paragraph = {};
    };
    int lineNumber = 0;
    while (!content.empty()) {
        size_t newline = content.find('\n');
        std::string_view raw = content.substr(0, newline);
        content.remove_prefix(newline == std::string_view::npos ? content.size() : newline + 1);
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        if (lineNumber == 1 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);

        std::u32string line;
        size_t bad = 0;
        if (!DecodeUtf8(raw, &line, &bad)) {
            Error({lineNumber, static_cast<int>(bad) + 1}, "invalid UTF-8");
            continue;
        }
        if (!line.empty() && line[0] == U'#') continue;
        size_t first = 0, last = line.size();
        while (first < last && IsBlank(line[first])) ++first;
        while (last > first && IsBlank(line[last - 1])) --last;
        if (first == last) {
            flush();
            continue;
        }
        if (!paragraph.text.empty()) {
            paragraph.text += U' ';
            paragraph.where.push_back(paragraph.end);
        }
        for (size_t i = first; i < last; ++i) {
            paragraph.text += line[i];
            paragraph.where.push_back({lineNumber, static_cast<int>(i) + 1});
        }
        paragraph.end = {lineNumber, static_cast<int>(last) + 1};
    }
    flush();
    if (kind_ == SourceKind::Index) FinishIndex();
}

// Reads "{name name=value ...}" at the start of the paragraph. Without a header, `tokens` stays
// empty and the text starts at 0.
bool SourceParser::SplitHeader(const SourceParagraph& p, std::vector<Token>* tokens,
                               size_t* textStart) {
    *textStart = 0;
    if (p.text[0] != U'{') return true;
    size_t close = p.text.find(U'}');
    if (close == std::u32string::npos) {
        Error(p.where[0], "the header has no closing '}'");
        return false;
    }
    size_t i = 1;
    while (i < close) {
        if (IsBlank(p.text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < close && !IsBlank(p.text[end])) ++end;
        std::u32string word = p.text.substr(i, end - i);
        Token token;
        token.at = p.where[i];
        size_t equals = word.find(U'=');
        if (equals != std::u32string::npos) {
            token.name = word.substr(0, equals);
            token.value = word.substr(equals + 1);
            token.hasValue = true;
        } else {
            token.name = word;
        }
        tokens->push_back(token);
        i = end;
    }
    // Names that take the following word as their value: {rule 40%}, {group 3}, {article 5}.
    std::vector<Token> joined;
    for (size_t k = 0; k < tokens->size(); ++k) {
        Token token = (*tokens)[k];
        bool takesWord =
            token.name == U"rule" || token.name == U"group" || token.name == U"article";
        if (takesWord && !token.hasValue && k + 1 < tokens->size() && !(*tokens)[k + 1].hasValue) {
            token.value = (*tokens)[++k].name;
            token.hasValue = true;
        }
        joined.push_back(token);
    }
    *tokens = joined;
    i = close + 1;
    while (i < p.text.size() && IsBlank(p.text[i])) ++i;
    *textStart = i;
    return true;
}

void SourceParser::HandleParagraph(const SourceParagraph& p) {
    std::vector<Token> tokens;
    size_t start = 0;
    if (!SplitHeader(p, &tokens, &start)) return;
    if (kind_ == SourceKind::Article) {
        ArticleParagraph(p, tokens, start);
    } else {
        IndexParagraph(p, tokens, start);
    }
}

bool SourceParser::Encode(const SourceParagraph& p, size_t start, StoredOrder order,
                          const std::u32string& text, size_t shift, BookRecord* record) {
    EncodeError error;
    if (!EncodeBookText(text, order, &record->text, &error)) {
        size_t at = error.index >= shift ? error.index - shift + start : start;
        Error(at < p.where.size() ? p.where[at] : p.end, error.message);
        return false;
    }
    return true;
}

void SourceParser::ArticleParagraph(const SourceParagraph& p, const std::vector<Token>& tokens,
                                    size_t start) {
    bool title = false, subtitle = false, big = false, small = false, bold = false, ltr = false;
    bool nogap = false, cont = false;
    std::optional<uint8_t> align, rawStyle;
    std::optional<long> indent, label;
    std::optional<Token> rule;
    std::optional<Token> styleAttribute;  // first attribute that sets the style, for errors
    bool ok = true;

    for (const Token& t : tokens) {
        auto flag = [&](bool* target) {
            if (t.hasValue) {
                Error(t.at, "'" + Narrow(t.name) + "' takes no value");
                ok = false;
            }
            *target = true;
        };
        auto number = [&](long low, long high) -> std::optional<long> {
            std::optional<long> v = t.hasValue ? ParseNumber(t.value) : std::nullopt;
            if (!v || *v < low || *v > high) {
                Error(t.at, "'" + Narrow(t.name) + "' needs a number from " + std::to_string(low) +
                                " to " + std::to_string(high));
                ok = false;
                return std::nullopt;
            }
            return v;
        };
        const std::u32string& n = t.name;
        if (n == U"title")
            flag(&title);
        else if (n == U"subtitle")
            flag(&subtitle);
        else if (n == U"big")
            flag(&big);
        else if (n == U"small")
            flag(&small);
        else if (n == U"bold")
            flag(&bold);
        else if (n == U"ltr")
            flag(&ltr);
        else if (n == U"nogap")
            flag(&nogap);
        else if (n == U"cont")
            flag(&cont);
        else if (n == U"right" || n == U"center" || n == U"left") {
            bool unused = false;
            flag(&unused);
            if (align) {
                Error(t.at, "more than one alignment");
                ok = false;
            }
            align = n == U"right" ? kAlignRight : n == U"center" ? kAlignCenter : 0;
        } else if (n == U"indent") {
            indent = number(0, 63);
        } else if (n == U"label") {
            label = number(1, 3);
        } else if (n == U"style") {
            auto v = number(1, 255);
            if (v && ((*v & 0x7F) == 0 || (*v & 7) == 7)) {
                Error(t.at, "style " + std::to_string(*v) +
                                " cannot be a text paragraph's: the low seven bits must not be 0 "
                                "and the low three not all set");
                ok = false;
            } else if (v) {
                rawStyle = static_cast<uint8_t>(*v);
            }
        } else if (n == U"rule") {
            rule = t;
        } else {
            Error(t.at, "unknown attribute '" + Narrow(n) + "'");
            ok = false;
        }
        bool setsStyle = n != U"indent" && n != U"label" && n != U"cont" && n != U"rule";
        if (setsStyle && !styleAttribute && n != U"title" && n != U"subtitle") styleAttribute = t;
    }
    if (!ok) return;
    const Position headerAt = p.where[0];
    const bool hasText = start < p.text.size();

    BookRecord record;
    record.line = headerAt.line;

    if (rule) {
        if (hasText) {
            Error(p.where[start], "nothing may follow a rule header");
            return;
        }
        for (const Token& t : tokens) {
            const std::u32string& n = t.name;
            if (n != U"rule" && n != U"right" && n != U"center" && n != U"left" && n != U"nogap") {
                Error(t.at, "'" + Narrow(n) + "' does not apply to a rule");
                return;
            }
        }
        std::u32string value = rule->value;
        std::optional<long> length;
        if (!value.empty() && value.back() == U'%') {
            auto percent = ParseNumber(value.substr(0, value.size() - 1));
            if (!percent || *percent < 2 || *percent > 190 || *percent % 2 != 0) {
                Error(rule->at, "a rule's percentage must be even, from 2% to 190%");
                return;
            }
            length = 160 + *percent / 2;
        } else {
            length = ParseNumber(value);
            if (!length || *length > 160) {
                Error(rule->at, "a rule is 0 to 160 pixels long, or a percentage such as 50%");
                return;
            }
        }
        record.style = static_cast<uint8_t>((nogap ? 0 : kParagraphEnd) |
                                            align.value_or(kAlignRight) | kSeparator);
        record.indent = static_cast<uint8_t>(*length);
        records_->push_back(record);
        previousIsText_ = false;
        return;
    }

    if (!hasText) {
        Error(tokens.empty() ? headerAt : p.end, "a paragraph needs text after its header");
        return;
    }
    if (big && small) {
        // 0x04 | 0x02 | 0x01 would make the low three bits 7: a rule, not text.
        Error(headerAt, "'big' and 'small' cannot be combined");
        return;
    }
    if (title && subtitle) {
        Error(headerAt, "a paragraph is either a title or a subtitle");
        return;
    }
    if ((title || subtitle) && styleAttribute) {
        Error(styleAttribute->at, "'" + Narrow(styleAttribute->name) + "' cannot change a " +
                                      (title ? "title" : "subtitle") + ", whose style is fixed");
        return;
    }

    uint8_t style = (nogap ? 0 : kParagraphEnd) | align.value_or(kAlignRight) |
                    (ltr ? 0 : kRightToLeft) | kPlain | (big ? kBig : 0) | (small ? kSmall : 0) |
                    (bold ? kBold : 0);
    if (title) style = kTitleStyle;
    if (subtitle) style = kSubtitleStyle;
    if (rawStyle) style = *rawStyle;
    record.style = style;

    std::u32string text = p.text.substr(start);
    const StoredOrder order =
        (style & kRightToLeft) != 0 ? StoredOrder::Display : StoredOrder::Reading;
    size_t shift = 0;
    if (cont) {
        if (!previousIsText_) {
            Error(headerAt, "'cont' needs a text paragraph before it to continue");
            return;
        }
        const BookRecord& previous = records_->back();
        // The label factor only has to be non-zero; label=K chooses it.
        uint8_t factor = label ? static_cast<uint8_t>(*label) : previous.indent >> 6;
        uint8_t bits = previous.indent & 0x3F;
        if (indent) bits = static_cast<uint8_t>(*indent);
        record.indent = static_cast<uint8_t>(((factor == 0 ? 1 : factor) << 6) | bits);
        // The layout continues a paragraph whose stored text starts with a space.
        if (order == StoredOrder::Display) {
            text += U' ';
        } else {
            text.insert(text.begin(), U' ');
            shift = 1;
        }
    } else {
        record.indent = static_cast<uint8_t>((label.value_or(0) << 6) | indent.value_or(0));
    }
    if (!Encode(p, start, order, text, shift, &record)) return;
    record.source = p.text.substr(start);
    records_->push_back(record);
    previousIsText_ = true;
}

void SourceParser::IndexParagraph(const SourceParagraph& p, const std::vector<Token>& tokens,
                                  size_t start) {
    const Position headerAt = p.where[0];
    if (tokens.empty()) {
        Error(headerAt,
              "an index paragraph needs a header: {group G level=L} or {article N level=L}");
        return;
    }
    IndexEntry entry;
    entry.at = headerAt;
    std::optional<Token> kind;
    uint8_t font = 0;
    bool ok = true;
    for (const Token& t : tokens) {
        auto bad = [&](std::string message) {
            Error(t.at, std::move(message));
            ok = false;
        };
        const std::u32string& n = t.name;
        if (n == U"group" || n == U"article") {
            if (kind) {
                bad("a record is one group or one article entry");
                continue;
            }
            kind = t;
            entry.group = n == U"group";
            long high = entry.group ? 0x3FFF : kLastArticle;
            auto v = t.hasValue ? ParseNumber(t.value) : std::nullopt;
            if (!v || *v < 1 || *v > high) {
                bad("'" + Narrow(n) + "' needs a number from 1 to " + std::to_string(high));
            } else {
                entry.number = static_cast<int>(*v);
            }
        } else if (n == U"level") {
            auto v = t.hasValue ? ParseNumber(t.value) : std::nullopt;
            if (!v || *v > kMaxIndexLevel) {
                bad("'level' needs a number from 0 to " + std::to_string(kMaxIndexLevel));
            } else {
                entry.level = static_cast<int>(*v);
            }
        } else if (n == U"open" && !t.hasValue) {
            entry.open = true;
        } else if (n == U"bold" && !t.hasValue) {
            font |= kBold;
        } else if (n == U"big" && !t.hasValue) {
            font |= kBig;
        } else if (n == U"small" && !t.hasValue) {
            font |= kSmall;
        } else {
            bad("unknown index attribute '" + Narrow(n) +
                (t.hasValue ? "=" + Narrow(t.value) : "") + "'");
        }
    }
    if (!ok) return;
    if (!kind) {
        Error(headerAt, "an index record is either {group G ...} or {article N ...}");
        return;
    }
    if ((font & (kBig | kSmall)) == (kBig | kSmall)) {
        Error(headerAt, "'big' and 'small' cannot be combined");
        return;
    }
    if (entry.open && !entry.group) {
        Error(headerAt, "only a group can be open");
        return;
    }
    if (start >= p.text.size()) {
        Error(p.end, "an index record needs text after its header");
        return;
    }
    BookRecord record;
    record.line = headerAt.line;
    record.key = static_cast<uint16_t>((entry.group ? 0x8000 : 0x4000) | entry.number);
    record.style = static_cast<uint8_t>(kPlain | font | (entry.group ? kBold : 0) |
                                        (entry.open ? kIndexOpen : 0));
    record.indent = static_cast<uint8_t>(entry.level);
    if (!Encode(p, start, StoredOrder::Display, p.text.substr(start), 0, &record)) return;
    record.source = p.text.substr(start);
    records_->push_back(record);
    entries_.push_back(entry);
}

// Decides which records are shown at first and checks what needs the whole file.
void SourceParser::FinishIndex() {
    if (entries_.size() != records_->size()) return;  // earlier errors
    std::map<int, Position> groups;
    std::vector<size_t> parents;  // open chain of groups above the current record
    for (size_t k = 0; k < entries_.size(); ++k) {
        const IndexEntry& e = entries_[k];
        while (!parents.empty() && entries_[parents.back()].level >= e.level) parents.pop_back();
        bool shown = true;
        for (size_t parent : parents) shown = shown && entries_[parent].open;
        if (shown) (*records_)[k].style |= kIndexShown;
        if (!e.group) continue;
        parents.push_back(k);
        auto [it, fresh] = groups.emplace(e.number, e.at);
        if (!fresh) {
            Error(e.at, "group number " + std::to_string(e.number) + " is already used on line " +
                            std::to_string(it->second.line));
        }
        if (k + 1 < entries_.size()) {
            const IndexEntry& next = entries_[k + 1];
            if (!next.group && next.level > e.level && next.number == e.number) {
                Error(e.at, "group number " + std::to_string(e.number) +
                                " equals the article number of the entry right below it");
            }
        }
    }
}

}  // namespace

bool ParseBookSource(std::string_view content, SourceKind kind, std::vector<BookRecord>* records,
                     std::vector<SourceError>* errors) {
    records->clear();
    errors->clear();
    SourceParser parser(kind, records, errors);
    parser.Parse(content);
    return errors->empty();
}

std::string FormatSourceError(std::string_view file, const SourceError& error) {
    return std::string(file) + ":" + std::to_string(error.line) + ":" +
           std::to_string(error.column) + ": " + error.message;
}

ByteString SerializeRecords(const std::vector<BookRecord>& records, SourceKind kind) {
    ByteString list;
    for (const BookRecord& r : records) {
        if (kind == SourceKind::Index) {
            list.push_back(static_cast<uint8_t>(r.key & 0xFF));
            list.push_back(static_cast<uint8_t>(r.key >> 8));
        }
        list.push_back(r.style);
        list.push_back(r.indent);
        list.insert(list.end(), r.text.begin(), r.text.end());
        list.push_back(0);
    }
    if (kind == SourceKind::Index) list.insert(list.end(), 5, 0);
    return list;
}
