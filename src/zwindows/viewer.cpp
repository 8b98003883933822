// The hypertext viewer: page sources, the layout of a page into display items and links, its
// drawing, link hits and the history.
#include "zwindows/viewer.h"

#include <algorithm>
#include <cstring>

#include "catalog/catalog.h"
#include "navigation/camera.h"
#include "vfs/vfs.h"

namespace zwindows {
namespace {

constexpr int kLeftMargin = 4;    // pixels: where lines start at the outermost indent
constexpr int kListIndent = 18;   // pixels per <ul>
constexpr int kParagraphStep = 20;
constexpr int kBulletStep = 12;
constexpr int kRuleStep = 16;

// A tag's number: each character after its first "#" up to ">" is one hexadecimal digit, and a
// character that is not a decimal digit counts as its code − 55 ("A" is 10, "F" is 15), so a
// number written with lower-case letters names another page. Wraps at 32 bits, as the tags'
// numbers never reach that far.
uint32_t tagDigit(unsigned char c) { return c >= '0' && c <= '9' ? c - '0' : uint32_t(c) - 55u; }

// The page after the first tag beginning with `prefix` whose number is `number`; false if none.
bool findTagged(const char* text, size_t size, const char* prefix, uint32_t number, Page& out) {
    const size_t prefixLength = std::strlen(prefix);
    for (size_t i = 0; i + prefixLength <= size; ++i) {
        if (text[i] != '<' || std::memcmp(text + i, prefix, prefixLength) != 0) continue;
        size_t end = i + prefixLength;
        while (end < size && text[end] != '>') ++end;
        if (end >= size) return false;  // the text ends inside the tag: no tag follows either
        const char* hash = static_cast<const char*>(std::memchr(text + i, '#', end - i));
        if (hash) {
            uint32_t n = 0;
            for (const char* p = hash + 1; p < text + end; ++p) n = n * 16u + tagDigit(static_cast<unsigned char>(*p));
            if (n == number) {
                out = Page{text + end + 1, size - (end + 1)};
                return true;
            }
        }
        i = end;
    }
    return false;
}

// "%lx": blanks, an optional "0x", then at least one hexadecimal digit of either case; a number
// beyond 32 bits reads as 0xFFFFFFFF, as the conversion saturates.
bool readHex(const char* text, uint32_t& out) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
    uint64_t n = 0;
    int digits = 0;
    for (;; ++p, ++digits) {
        int d;
        if (*p >= '0' && *p <= '9') d = *p - '0';
        else if (*p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
        else if (*p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
        else break;
        n = n * 16 + uint64_t(d);
        if (n > 0xFFFFFFFFull) n = 0x100000000ull;
    }
    if (digits == 0) return false;
    out = n > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(n);
    return true;
}

// The length of a text, looking no further than one character past a reference's room.
size_t referenceLength(const char* text) {
    size_t n = 0;
    while (n <= size_t(kReferenceMax) && text[n]) ++n;
    return n;
}

void copyReference(char (&out)[kReferenceMax + 1], const char* text, size_t length) {
    const size_t n = std::min(length, size_t(kReferenceMax));
    std::memcpy(out, text, n);
    out[n] = 0;
}

// One layout pass over a page. The run collects the characters of the current line since the
// last item; `wordRun` and `wordSource` say where its last word began in the run and in the page,
// so that a word that does not fit can be taken back and read again on the next line.
class Layout {
public:
    Layout(Viewer& v, const Page& page) : v_(v), p_(page.text), n_(page.text ? page.size : 0) {}

    void run() {
        while (i_ < n_ && !full_) {
            char c = p_[i_];
            if (c == '<') {
                flush();
                if (!tag()) break;  // the next page's tag
                continue;
            }
            if (c == '\n') c = ' ';
            else if (static_cast<unsigned char>(c) < 32) {
                ++i_;
                continue;
            }
            if (c == ' ') {
                if (lastSpace_) {
                    ++i_;
                    continue;
                }
                lastSpace_ = true;
            } else {
                lastSpace_ = false;
                if (runLength_ == 0 || run_[runLength_ - 1] == ' ') {
                    wordRun_ = runLength_;
                    wordSource_ = i_;
                }
            }
            run_[runLength_++] = c;
            ++i_;
            if (runLength_ >= kRunMax || x_ + 6 * int64_t(runLength_) >= v_.wrapWidth) breakLine();
        }
        flush();
        closeLink();
        v_.documentHeight = y_;
        v_.truncated = full_ ? 1 : 0;
    }

private:
    void addItem(int x, int y, uint8_t type, const char* text, int length) {
        if (v_.itemCount >= kMaxItems || v_.textUsed + uint32_t(length) > uint32_t(kPageTextBytes)) {
            full_ = true;
            return;
        }
        PageItem& it = v_.items[v_.itemCount++];
        it = PageItem{x, y, colour_, v_.textUsed, uint16_t(length), type, 0};
        if (length > 0) std::memcpy(v_.text + v_.textUsed, text, size_t(length));
        v_.textUsed += uint32_t(length);
    }

    void flush() {
        if (runLength_ == 0) return;
        addItem(x_, y_, type_, run_, runLength_);
        x_ += 6 * runLength_;
        runLength_ = 0;
    }

    // The line is full: a last word that does not end the run goes whole to the next line, unless
    // it is the only thing on the line, in which case it is broken where the line ends.
    void breakLine() {
        if (run_[runLength_ - 1] != ' ') {
            if (wordRun_ > 0 || x_ > indent_) {
                runLength_ = wordRun_;
                i_ = wordSource_;
            } else if (runLength_ > 1) {
                // The character that crossed the end starts the next line.
                --runLength_;
                --i_;
            }
            lastSpace_ = false;
        }
        flush();
        moveTo(indent_, y_ + kLineStep);
    }

    // A new line (or a jump down) inside a link ends the link's area on this line and starts
    // another where the text goes on, so that every line of a wrapped link is clickable.
    void moveTo(int x, int y) {
        if (link_ >= 0 && y != y_) {
            PageLink& l = v_.links[link_];
            if (l.y == y_ && l.x >= x_) {
                l.x = x;  // nothing of the link on this line: it starts on the next
                l.y = y;
            } else {
                l.width = x_ - l.x;
                l.height = kLinkHeight;
                link_ = newLink(x, y, l.reference);
            }
        }
        x_ = x;
        y_ = y;
    }

    int newLink(int x, int y, const char* reference) {
        if (v_.linkCount >= kMaxLinks) return -1;  // shown in link colour, but not clickable
        PageLink& l = v_.links[v_.linkCount];
        l = PageLink{x, y, 0, kLinkHeight, {}};
        copyReference(l.reference, reference, referenceLength(reference));
        return v_.linkCount++;
    }

    void closeLink() {
        if (!inLink_) return;
        if (link_ >= 0) {
            PageLink& l = v_.links[link_];
            l.width = x_ - l.x;
            l.height = kLinkHeight;
            // A link that closed where it opened has no area.
            if (l.width <= 0 && link_ == v_.linkCount - 1) --v_.linkCount;
        }
        link_ = -1;
        inLink_ = false;
        type_ = typeBeforeLink_;
    }

    bool startsWith(const char* s) const {
        const size_t k = std::strlen(s);
        return n_ - i_ >= k && std::memcmp(p_ + i_, s, k) == 0;
    }

    // At "<": acts on the tag, then skips it up to its ">" (or the end of the page). False when
    // the tag starts the next page.
    bool tag() {
        size_t end = i_ + 1;
        while (end < n_ && p_[end] != '>') ++end;
        if (startsWith("</a")) {
            closeLink();
        } else if (startsWith("</u")) {
            indent_ = std::max(kLeftMargin, indent_ - kListIndent);
        } else if (startsWith("<a")) {
            closeLink();  // links do not nest: an open one ends where the next begins
            char reference[kReferenceMax + 1] = "";
            const char* quote = static_cast<const char*>(std::memchr(p_ + i_, '"', end - i_));
            if (quote) {
                const char* from = quote + 1;
                const char* to = from;
                while (to < p_ + end && *to != '"') ++to;
                copyReference(reference, from, size_t(to - from));
            }
            typeBeforeLink_ = type_;
            type_ = reference[0] == '@' ? kObjectLinkItem : kLinkItem;
            inLink_ = true;
            link_ = newLink(x_, y_, reference);
        } else if (startsWith("<br")) {
            moveTo(indent_, y_ + kLineStep);
        } else if (startsWith("<hr")) {
            addItem(kLeftMargin, y_ + kLineStep, kRuleItem, nullptr, 0);
            // The text after a rule starts its line again.
            moveTo(indent_, y_ + kRuleStep);
        } else if (startsWith("<he") || startsWith("<n")) {
            return false;
        } else if (startsWith("<l")) {
            addItem(indent_, y_ + 15, kBulletItem, nullptr, 0);
            moveTo(indent_ + 6, y_ + kBulletStep);
        } else if (startsWith("<p")) {
            moveTo(indent_, y_ + kParagraphStep);
        } else if (startsWith("<u")) {
            indent_ += kListIndent;
        }
        i_ = end < n_ ? end + 1 : n_;
        lastSpace_ = false;  // the character before the next one is the tag's ">"
        return true;
    }

    Viewer& v_;
    const char* p_;
    size_t n_;
    size_t i_ = 0;
    int x_ = kLeftMargin, y_ = 0, indent_ = kLeftMargin;
    uint8_t type_ = kTextItem, typeBeforeLink_ = kTextItem;
    uint32_t colour_ = colours().text;
    char run_[kRunMax];
    int runLength_ = 0;
    int wordRun_ = 0;
    size_t wordSource_ = 0;
    bool lastSpace_ = false;
    bool inLink_ = false;
    int link_ = -1;  // the link area being filled, −1 when the table is full or outside links
    bool full_ = false;
};

void pushHistory(Viewer& v, const char* reference) {
    if (v.historyCurrent < v.historyCount - 1) v.historyCount = v.historyCurrent + 1;
    if (v.historyCount == kHistoryMax) {
        std::memmove(v.history[0], v.history[1], sizeof v.history - sizeof v.history[0]);
        --v.historyCount;
    }
    copyReference(v.history[v.historyCount], reference, referenceLength(reference));
    v.historyCurrent = v.historyCount++;
}

int moveInHistory(Viewer& v, int to) {
    if (to < 0 || to >= v.historyCount) return 0;
    Page page;
    if (!resolveReference(v.history[to], page)) return 0;
    v.historyCurrent = to;
    layoutPage(v, page);
    return 1;
}

void follow(Viewer& v, const char* reference) {
    if (reference[0] == '@') {
        uint32_t object = 0;
        if (readHex(reference + 1, object)) {
            camera::lockObject(static_cast<int32_t>(object));
            camera::lookAt(static_cast<int32_t>(object));
        }
        return;
    }
    if (v.forwarding) {
        sendToHelpHandler(kHelpPick, 0, reinterpret_cast<intptr_t>(reference));
        return;
    }
    Page page;
    if (!resolveReference(reference, page)) return;
    pushHistory(v, reference);
    layoutPage(v, page);
}

}  // namespace

bool resolveReference(const char* reference, Page& page) {
    if (!reference) return false;
    size_t size = 0;
    uint32_t number = 0;
    if (reference[0] == '?') {
        if (!readHex(reference + 1, number)) return false;
        const uint8_t* help = vfs::loadFile("help.html", &size);
        return help && findTagged(reinterpret_cast<const char*>(help), size, "<he", number, page);
    }
    if (reference[0] == '@') {
        if (!readHex(reference + 1, number)) return false;
        const catalog::CatalogFiles& files = catalog::catalogFiles();
        const uint8_t* notes = files.data[catalog::kStellarNote];
        return notes && findTagged(reinterpret_cast<const char*>(notes), files.size[catalog::kStellarNote],
                                   "<n", number, page);
    }
    const uint8_t* file = vfs::loadFile(reference, &size);
    if (!file) return false;
    page = Page{reinterpret_cast<const char*>(file), size};
    return true;
}

void clearPage(Viewer& v) {
    v.itemCount = 0;
    v.textUsed = 0;
    v.linkCount = 0;
    v.documentHeight = 0;
    v.scrollOffset = 0;
    v.visibleBottom = v.clientHeight;
    v.truncated = 0;
    v.page = Page{};
    v.layoutChanged = 1;
}

void layoutPage(Viewer& v, const Page& page) {
    clearPage(v);
    v.page = page;
    Layout(v, page).run();
}

void scrollPage(Viewer& v, int offset) {
    v.scrollOffset = std::clamp(offset, 0, std::max(0, v.documentHeight));
    v.visibleBottom = v.scrollOffset + v.clientHeight;
}

void drawPage(const Viewer& v, draw::Surface& s, const Rect& area) {
    const Colours& c = colours();
    const int64_t right = int64_t(area.x) + area.width, bottom = int64_t(area.y) + area.height;
    for (int k = 0; k < v.itemCount; ++k) {
        const PageItem& it = v.items[k];
        if (it.y < v.scrollOffset || it.y + 8 >= v.visibleBottom) continue;
        const int64_t y = int64_t(area.y) + it.y - v.scrollOffset;
        if (y + 8 > bottom) continue;
        const int64_t x = int64_t(area.x) + it.x;
        if (x >= right) continue;
        switch (it.type) {
            case kTextItem:
            case kLinkItem:
            case kObjectLinkItem: {
                const uint32_t colour = it.type == kLinkItem ? c.link : it.type == kObjectLinkItem ? c.objectLink : it.colour;
                drawText(s, int(x), int(y), v.text + it.text, it.length, colour, area.x, int(right));
                break;
            }
            case kBulletItem:
                draw::setColour(s, it.colour);
                draw::fillRect(s, int(x), int(y), int(x) + 2, int(y) + 2);
                break;
            case kRuleItem:
                draw::setColour(s, it.colour);
                if (x <= right - 32) draw::line(s, int(x), int(y), int(right - 32), int(y));
                break;
            default: break;
        }
    }
}

int clickLink(Viewer& v, int x, int y) {
    for (int k = v.linkCount - 1; k >= 0; --k) {
        const PageLink& l = v.links[k];
        const int64_t top = int64_t(l.y) - v.scrollOffset;
        if (y < top || y > top + l.height || x < l.x || int64_t(x) > int64_t(l.x) + l.width) continue;
        // Following lays out another page over the links: the reference is taken out first.
        char reference[kReferenceMax + 1];
        copyReference(reference, l.reference, referenceLength(l.reference));
        follow(v, reference);
        return 1;
    }
    return 0;
}

int openReference(Viewer& v, const char* reference) {
    if (!reference) return 0;
    char cut[kReferenceMax + 1];
    copyReference(cut, reference, referenceLength(reference));
    Page page;
    if (!resolveReference(cut, page)) return 0;
    layoutPage(v, page);
    if (cut[0] != '@') pushHistory(v, cut);
    return 1;
}

int historyBack(Viewer& v) { return moveInHistory(v, v.historyCurrent - 1); }
int historyForward(Viewer& v) { return moveInHistory(v, v.historyCurrent + 1); }

}  // namespace zwindows
