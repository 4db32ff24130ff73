#include "pipeline/CodePattern.h"

#include <algorithm>
#include <utility>

#include "platform/Utf8.h"

namespace tolvira {

namespace {

using Inst = CodePattern::Instruction;
using Op = Inst::Op;
using Ranges = std::vector<std::pair<char32_t, char32_t>>;

constexpr int kMaxNesting = 50;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr int kUnbounded = -1;

const Ranges kDigits{{'0', '9'}};
const Ranges kWord{{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
const Ranges kSpace{{'\t', '\r'}, {' ', ' '}};

// The ranges not in `ranges` (which are sorted and apart).
Ranges complement(const Ranges& ranges) {
    Ranges out;
    char32_t next = 0;
    for (const auto& [lo, hi] : ranges) {
        if (lo > next) out.emplace_back(next, lo - 1);
        next = hi + 1;
    }
    if (next <= kLastCodePoint) out.emplace_back(next, kLastCodePoint);
    return out;
}

std::string utf8Of(char32_t c) {
    std::string out;
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
    return out;
}

struct Node {
    enum class Kind { Empty, Char, Any, Class, Begin, End, Concat, Alt, Repeat, Group };
    Kind kind = Kind::Empty;
    char32_t c = 0;
    uint32_t cls = 0;
    std::vector<int> kids;
    int min = 0;
    int max = 0;
    bool greedy = true;
    int group = 0;  // 1..9; 0: not captured
};

Node nodeOf(Node::Kind kind) {
    Node node;
    node.kind = kind;
    return node;
}

// The error the user sees; thrown inside the parser only, caught by compile().
struct PatternError {
    std::string message;
};

// What an escape stands for: one character, or a set of them.
struct Escape {
    bool isSet = false;
    char32_t c = 0;
    Ranges set;
};

class Parser {
  public:
    Parser(std::u32string pattern, std::vector<CodePattern::CharClass>& classes)
        : text_(std::move(pattern)), classes_(classes) {}

    std::vector<Node> nodes;
    int groups = 0;

    int parse() {
        const int root = parseAlternation(0);
        if (pos_ < text_.size()) fail(pos_, "“)”没有对应的“(”");
        return root;
    }

  private:
    [[noreturn]] void fail(size_t at, const std::string& what) const {
        throw PatternError{"正则表达式有误：第" + std::to_string(at + 1) + "个字符" + what};
    }
    [[noreturn]] void failNear(size_t at, const std::string& what) const { fail(at, "处" + what); }
    std::string quoted(size_t at) const { return "“" + utf8Of(text_[at]) + "”"; }

    bool more() const { return pos_ < text_.size(); }
    char32_t peek() const { return text_[pos_]; }

    int add(Node node) {
        nodes.push_back(std::move(node));
        return static_cast<int>(nodes.size()) - 1;
    }

    int parseAlternation(int depth) {
        std::vector<int> alternatives{parseConcatenation(depth)};
        while (more() && peek() == '|') {
            ++pos_;
            alternatives.push_back(parseConcatenation(depth));
        }
        if (alternatives.size() == 1) return alternatives[0];
        Node alt = nodeOf(Node::Kind::Alt);
        alt.kids = std::move(alternatives);
        return add(std::move(alt));
    }

    int parseConcatenation(int depth) {
        Node concat = nodeOf(Node::Kind::Concat);
        while (more() && peek() != '|' && peek() != ')') concat.kids.push_back(parseRepeat(depth));
        return add(std::move(concat));
    }

    // {m}, {m,} or {m,n} at pos_; false (pos_ unchanged) when the brace is a literal one.
    bool parseCount(int& min, int& max) {
        size_t p = pos_ + 1;
        const auto number = [&](int& value) {
            const size_t start = p;
            long long v = 0;
            while (p < text_.size() && text_[p] >= '0' && text_[p] <= '9') {
                v = std::min<long long>(v * 10 + (text_[p] - '0'), kMaxRepeatCount + 1LL);
                ++p;
            }
            value = static_cast<int>(v);
            return p > start;
        };
        if (!number(min)) return false;
        max = min;
        if (p < text_.size() && text_[p] == ',') {
            ++p;
            if (!number(max)) max = kUnbounded;
        }
        if (p >= text_.size() || text_[p] != '}') return false;
        if (min > kMaxRepeatCount || max > kMaxRepeatCount) {
            failNear(pos_, "的重复次数超过" + std::to_string(kMaxRepeatCount));
        }
        if (max != kUnbounded && max < min) failNear(pos_, "的重复次数前大后小");
        pos_ = p + 1;
        return true;
    }

    bool atQuantifier(int& min, int& max) {
        if (!more()) return false;
        switch (peek()) {
            case '*':
                min = 0, max = kUnbounded, ++pos_;
                return true;
            case '+':
                min = 1, max = kUnbounded, ++pos_;
                return true;
            case '?':
                min = 0, max = 1, ++pos_;
                return true;
            case '{':
                return parseCount(min, max);
            default:
                return false;
        }
    }

    int parseRepeat(int depth) {
        int atom = parseAtom(depth);
        int min = 0;
        int max = 0;
        const size_t at = pos_;
        if (!atQuantifier(min, max)) return atom;
        Node repeat = nodeOf(Node::Kind::Repeat);
        repeat.kids = {atom};
        repeat.min = min;
        repeat.max = max;
        if (more() && peek() == '?') {
            repeat.greedy = false;
            ++pos_;
        }
        int again_min = 0;
        int again_max = 0;
        const size_t again = pos_;
        if (atQuantifier(again_min, again_max)) {
            fail(again, quoted(again) + "不能紧跟在" + quoted(at) + "后面");
        }
        return add(std::move(repeat));
    }

    int parseAtom(int depth) {
        const size_t at = pos_;
        const char32_t c = text_[pos_++];
        switch (c) {
            case '(':
                return parseGroup(at, depth);
            case '[':
                return parseClass(at);
            case '.':
                return add(nodeOf(Node::Kind::Any));
            case '^':
                return add(nodeOf(Node::Kind::Begin));
            case '$':
                return add(nodeOf(Node::Kind::End));
            case '\\': {
                const Escape e = parseEscape(at);
                if (!e.isSet) return literal(e.c);
                return addClass(e.set, false);
            }
            case '*':
            case '+':
            case '?':
                fail(at, quoted(at) + "前面没有可以重复的内容");
            case '{': {
                int min = 0;
                int max = 0;
                pos_ = at;
                if (parseCount(min, max)) fail(at, quoted(at) + "前面没有可以重复的内容");
                ++pos_;
                return literal(c);
            }
            default:
                return literal(c);
        }
    }

    int literal(char32_t c) {
        Node node = nodeOf(Node::Kind::Char);
        node.c = c;
        return add(std::move(node));
    }

    int addClass(Ranges ranges, bool negated) {
        classes_.push_back({std::move(ranges), negated});
        Node node = nodeOf(Node::Kind::Class);
        node.cls = static_cast<uint32_t>(classes_.size() - 1);
        return add(std::move(node));
    }

    int parseGroup(size_t at, int depth) {
        if (depth >= kMaxNesting)
            failNear(at, "的括号嵌套超过" + std::to_string(kMaxNesting) + "层");
        int group = 0;
        if (more() && peek() == '?') {
            if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != ':')
                failNear(at, "的“(?”只支持“(?:”");
            pos_ += 2;
        } else if (groups < kMaxGroups) {
            group = ++groups;
        }
        const int body = parseAlternation(depth + 1);
        if (!more() || peek() != ')') fail(at, "“(”没有对应的“)”");
        ++pos_;
        Node node = nodeOf(Node::Kind::Group);
        node.kids = {body};
        node.group = group;
        return add(std::move(node));
    }

    Escape parseEscape(size_t at) {
        if (!more()) fail(at, "“\\”后面缺少字符");
        const char32_t c = text_[pos_++];
        switch (c) {
            case 'd':
                return {true, 0, kDigits};
            case 'D':
                return {true, 0, complement(kDigits)};
            case 'w':
                return {true, 0, kWord};
            case 'W':
                return {true, 0, complement(kWord)};
            case 's':
                return {true, 0, kSpace};
            case 'S':
                return {true, 0, complement(kSpace)};
            case 't':
                return {false, '\t', {}};
            case 'n':
                return {false, '\n', {}};
            case 'r':
                return {false, '\r', {}};
            case 'f':
                return {false, '\f', {}};
            case 'v':
                return {false, '\v', {}};
            case 'x': {
                char32_t value = 0;
                for (int i = 0; i < 2; ++i) {
                    const int digit = more() ? hexDigit(peek()) : -1;
                    if (digit < 0) failNear(at, "的“\\x”后面要有两位十六进制数");
                    value = value * 16 + static_cast<char32_t>(digit), ++pos_;
                }
                return {false, value, {}};
            }
            default:
                if (c < 0x80 &&
                    ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                    failNear(at, "的“\\" + utf8Of(c) + "”不支持");
                }
                return {false, c, {}};
        }
    }

    static int hexDigit(char32_t c) {
        if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
        return -1;
    }

    // One end of a range or a single member: a character, an escape, or a set from an escape.
    Escape classMember() {
        const size_t at = pos_;
        const char32_t c = text_[pos_++];
        if (c == '\\') return parseEscape(at);
        return {false, c, {}};
    }

    int parseClass(size_t at) {
        bool negated = false;
        if (more() && peek() == '^') negated = true, ++pos_;
        Ranges ranges;
        bool first = true;
        for (;;) {
            if (!more()) fail(at, "“[”没有对应的“]”");
            if (peek() == ']' && !first) break;
            first = false;
            const size_t memberAt = pos_;
            const Escape lo = classMember();
            if (more() && peek() == '-' && pos_ + 1 < text_.size() && text_[pos_ + 1] != ']') {
                ++pos_;
                const Escape hi = classMember();
                if (lo.isSet || hi.isSet) failNear(memberAt, "的范围端点不能是\\d这类字符组");
                if (hi.c < lo.c) {
                    failNear(memberAt, "的范围“" + utf8Of(lo.c) + "-" + utf8Of(hi.c) + "”顺序颠倒");
                }
                ranges.emplace_back(lo.c, hi.c);
            } else if (lo.isSet) {
                ranges.insert(ranges.end(), lo.set.begin(), lo.set.end());
            } else {
                ranges.emplace_back(lo.c, lo.c);
            }
        }
        ++pos_;
        return addClass(std::move(ranges), negated);
    }

    std::u32string text_;
    std::vector<CodePattern::CharClass>& classes_;
    size_t pos_ = 0;
};

struct TooComplex {};

Inst instruction(Op op, uint32_t x = 0) {
    Inst inst;
    inst.op = op;
    inst.x = x;
    return inst;
}

class Emitter {
  public:
    Emitter(const std::vector<Node>& nodes, std::vector<Inst>& program)
        : nodes_(nodes), program_(program) {}

    void emit(int index) {
        const Node& node = nodes_[index];
        switch (node.kind) {
            case Node::Kind::Empty:
                return;
            case Node::Kind::Char:
                push(instruction(Op::Char, node.c));
                return;
            case Node::Kind::Any:
                push(instruction(Op::Any));
                return;
            case Node::Kind::Class:
                push(instruction(Op::Class, node.cls));
                return;
            case Node::Kind::Begin:
                push(instruction(Op::Begin));
                return;
            case Node::Kind::End:
                push(instruction(Op::End));
                return;
            case Node::Kind::Concat:
                for (int kid : node.kids) emit(kid);
                return;
            case Node::Kind::Alt:
                emitAlternation(node);
                return;
            case Node::Kind::Group:
                if (node.group) push(instruction(Op::Save, static_cast<uint32_t>(2 * node.group)));
                emit(node.kids[0]);
                if (node.group)
                    push(instruction(Op::Save, static_cast<uint32_t>(2 * node.group + 1)));
                return;
            case Node::Kind::Repeat:
                emitRepeat(node);
                return;
        }
    }

    size_t push(Inst inst) {
        if (program_.size() >= kMaxProgramSize) throw TooComplex{};
        program_.push_back(inst);
        return program_.size() - 1;
    }

  private:
    uint32_t here() const { return static_cast<uint32_t>(program_.size()); }

    // A split whose first choice is `preferred`: greedy takes the body first, lazy skips it.
    void setSplit(size_t split, uint32_t body, uint32_t skip, bool greedy) {
        program_[split].x = greedy ? body : skip;
        program_[split].y = greedy ? skip : body;
    }

    void emitAlternation(const Node& node) {
        std::vector<size_t> jumps;
        for (size_t i = 0; i + 1 < node.kids.size(); ++i) {
            const size_t split = push(instruction(Op::Split));
            program_[split].x = here();
            emit(node.kids[i]);
            jumps.push_back(push(instruction(Op::Jump)));
            program_[split].y = here();
        }
        emit(node.kids.back());
        for (size_t jump : jumps) program_[jump].x = here();
    }

    void emitRepeat(const Node& node) {
        const int body = node.kids[0];
        if (node.max == kUnbounded && node.min > 0) {
            for (int i = 0; i + 1 < node.min; ++i) emit(body);
            const uint32_t start = here();
            emit(body);
            const size_t split = push(instruction(Op::Split));
            setSplit(split, start, here(), node.greedy);
            return;
        }
        for (int i = 0; i < node.min; ++i) emit(body);
        if (node.max == kUnbounded) {
            const size_t split = push(instruction(Op::Split));
            emit(body);
            push(instruction(Op::Jump, static_cast<uint32_t>(split)));
            setSplit(split, static_cast<uint32_t>(split + 1), here(), node.greedy);
            return;
        }
        // x{m,n}: the optional copies nest, each skip going past all of them.
        std::vector<size_t> splits;
        for (int i = node.min; i < node.max; ++i) {
            splits.push_back(push(instruction(Op::Split)));
            emit(body);
        }
        for (size_t split : splits)
            setSplit(split, static_cast<uint32_t>(split + 1), here(), node.greedy);
    }

    const std::vector<Node>& nodes_;
    std::vector<Inst>& program_;
};

// Checks the template against the pattern's groups; the error is for the user.
std::string templateError(std::string_view text, int groups) {
    if (text.size() > kMaxTemplateBytes) {
        return "输出模板太长：最多" + std::to_string(kMaxTemplateBytes) + "个字节";
    }
    if (!isValidUtf8(text)) return "输出模板不是有效的UTF-8文字";
    size_t position = 0;  // in characters, for the message
    for (size_t i = 0; i < text.size(); i += decodeUtf8(text.substr(i)).length, ++position) {
        if (text[i] != '$' || i + 1 >= text.size()) continue;
        const char next = text[i + 1];
        if (next == '$') {
            ++i, ++position;
        } else if (next >= '0' && next <= '9') {
            if (next - '0' > groups) {
                return "输出模板有误：第" + std::to_string(position + 1) + "个字符处的“$" +
                       std::string(1, next) + "”没有对应的分组";
            }
            ++i, ++position;
        }
    }
    return {};
}

}  // namespace

bool CodePattern::CharClass::has(char32_t c) const {
    bool in = false;
    for (const auto& [lo, hi] : ranges) {
        if (c >= lo && c <= hi) {
            in = true;
            break;
        }
    }
    return in != negated;
}

CodePattern::Compiled CodePattern::compile(std::string_view pattern,
                                           std::string_view outputTemplate) {
    if (pattern.size() > kMaxPatternBytes) {
        return {std::nullopt, "正则表达式太长：最多" + std::to_string(kMaxPatternBytes) + "个字节"};
    }
    std::u32string text;
    for (size_t i = 0; i < pattern.size();) {
        const Utf8Step step = decodeUtf8(pattern.substr(i));
        if (!step.wellFormed) {
            return {std::nullopt, "正则表达式有误：第" + std::to_string(text.size() + 1) +
                                      "个字符不是有效的UTF-8文字"};
        }
        text += step.codePoint;
        i += step.length;
    }
    CodePattern compiled;
    try {
        Parser parser(std::move(text), compiled.classes_);
        const int root = parser.parse();
        compiled.groups_ = parser.groups;
        Emitter emitter(parser.nodes, compiled.program_);
        emitter.push(instruction(Op::Save, 0));
        emitter.emit(root);
        emitter.push(instruction(Op::Save, 1));
        emitter.push(instruction(Op::Match));
    } catch (const PatternError& e) {
        return {std::nullopt, e.message};
    } catch (const TooComplex&) {
        return {std::nullopt, "正则表达式太复杂：展开后超过" + std::to_string(kMaxProgramSize) +
                                  "步，请减少重复次数"};
    }
    std::string error = templateError(outputTemplate, compiled.groups_);
    if (!error.empty()) return {std::nullopt, std::move(error)};
    compiled.template_ = outputTemplate;
    return {std::move(compiled), {}};
}

namespace {

constexpr uint32_t kNoPosition = UINT32_MAX;

// The threads of one step, each at its own instruction, in priority order (a sparse set), with
// their capture slots.
class ThreadList {
  public:
    ThreadList(size_t programSize, size_t slots)
        : sparse_(programSize), caps_(programSize * slots), slots_(slots) {
        dense_.reserve(programSize);
    }
    bool has(uint32_t pc) const {
        const uint32_t i = sparse_[pc];
        return i < dense_.size() && dense_[i] == pc;
    }
    void insert(uint32_t pc) {
        sparse_[pc] = static_cast<uint32_t>(dense_.size());
        dense_.push_back(pc);
    }
    void clear() { dense_.clear(); }
    bool empty() const { return dense_.empty(); }
    const std::vector<uint32_t>& threads() const { return dense_; }
    uint32_t* caps(uint32_t pc) { return &caps_[pc * slots_]; }

  private:
    std::vector<uint32_t> sparse_;
    std::vector<uint32_t> dense_;
    std::vector<uint32_t> caps_;
    size_t slots_;
};

class PikeVm {
  public:
    PikeVm(const std::vector<Inst>& program, const std::vector<CodePattern::CharClass>& classes,
           size_t slots, const std::u32string& text)
        : program_(program),
          classes_(classes),
          slots_(slots),
          text_(text),
          current_(program.size(), slots),
          next_(program.size(), slots),
          scratch_(slots) {}

    // The capture slots of the leftmost match, in code point positions.
    std::optional<std::vector<uint32_t>> run() {
        std::optional<std::vector<uint32_t>> found;
        const uint32_t length = static_cast<uint32_t>(text_.size());
        for (uint32_t pos = 0;; ++pos) {
            // A match starting here ranks below every thread that started earlier.
            if (!found) {
                std::fill(scratch_.begin(), scratch_.end(), kNoPosition);
                follow(current_, 0, pos);
            }
            if (current_.empty()) break;
            next_.clear();
            for (uint32_t pc : current_.threads()) {
                const Inst& inst = program_[pc];
                if (inst.op == Op::Match) {
                    const uint32_t* caps = current_.caps(pc);
                    found.emplace(caps, caps + slots_);
                    break;  // threads after this one rank lower
                }
                if (pos < length && consumes(inst, text_[pos])) {
                    std::copy_n(current_.caps(pc), slots_, scratch_.begin());
                    follow(next_, pc + 1, pos + 1);
                }
            }
            std::swap(current_, next_);
            if (pos == length) break;
        }
        return found;
    }

  private:
    bool consumes(const Inst& inst, char32_t c) const {
        switch (inst.op) {
            case Op::Char:
                return c == inst.x;
            case Op::Any:
                return true;
            case Op::Class:
                return classes_[inst.x].has(c);
            default:
                return false;
        }
    }

    // Adds the thread at pc with scratch_'s captures, following every instruction that
    // consumes nothing, without recursion: a stack of targets still to follow and of capture
    // slots to put back.
    void follow(ThreadList& list, uint32_t start, uint32_t pos) {
        stack_.clear();
        stack_.push_back({start, kNoPosition});
        while (!stack_.empty()) {
            const Pending p = stack_.back();
            stack_.pop_back();
            if (p.slot != kNoPosition) {
                scratch_[p.slot] = p.pc;
                continue;
            }
            uint32_t pc = p.pc;
            while (!list.has(pc)) {
                list.insert(pc);
                const Inst& inst = program_[pc];
                if (inst.op == Op::Jump) {
                    pc = inst.x;
                } else if (inst.op == Op::Split) {
                    stack_.push_back({inst.y, kNoPosition});
                    pc = inst.x;
                } else if (inst.op == Op::Save) {
                    stack_.push_back({scratch_[inst.x], inst.x});
                    scratch_[inst.x] = pos;
                    ++pc;
                } else if (inst.op == Op::Begin || inst.op == Op::End) {
                    const bool holds = inst.op == Op::Begin ? pos == 0 : pos == text_.size();
                    if (!holds) break;
                    ++pc;
                } else {
                    std::copy(scratch_.begin(), scratch_.end(), list.caps(pc));
                    break;
                }
            }
        }
    }

    struct Pending {
        uint32_t pc;
        uint32_t slot;  // kNoPosition: follow pc; otherwise put `pc` back into this slot
    };
    const std::vector<Inst>& program_;
    const std::vector<CodePattern::CharClass>& classes_;
    size_t slots_;
    const std::u32string& text_;
    ThreadList current_;
    ThreadList next_;
    std::vector<uint32_t> scratch_;
    std::vector<Pending> stack_;
};

}  // namespace

std::optional<PatternMatch> CodePattern::search(std::string_view code) const {
    if (code.size() > kMaxCodeBytes) return std::nullopt;
    std::u32string text;
    std::vector<size_t> offsets;  // byte offset of each code point, and of the end
    for (size_t i = 0; i < code.size();) {
        const Utf8Step step = decodeUtf8(code.substr(i));
        text += step.codePoint;
        offsets.push_back(i);
        i += step.length;
    }
    offsets.push_back(code.size());

    const size_t slots = 2 * (static_cast<size_t>(groups_) + 1);
    const std::optional<std::vector<uint32_t>> caps = PikeVm(program_, classes_, slots, text).run();
    if (!caps) return std::nullopt;
    PatternMatch match;
    for (size_t g = 0; g * 2 < slots; ++g) {
        const uint32_t begin = (*caps)[2 * g];
        const uint32_t end = (*caps)[2 * g + 1];
        if (begin != kNoPosition && end != kNoPosition)
            match[g] = Span{offsets[begin], offsets[end]};
    }
    return match;
}

std::optional<std::string> CodePattern::apply(std::string_view code) const {
    const std::optional<PatternMatch> match = search(code);
    if (!match) return std::nullopt;
    if (template_.empty()) return std::string(code);
    std::string out;
    for (size_t i = 0; i < template_.size(); ++i) {
        const char c = template_[i];
        const char next = i + 1 < template_.size() ? template_[i + 1] : '\0';
        if (c == '$' && next == '$') {
            out += '$';
            ++i;
        } else if (c == '$' && next >= '0' && next <= '9') {
            // Only a span of this code can be reached, and only a group the pattern has.
            if (const std::optional<Span>& span = (*match)[next - '0']) {
                out.append(code.substr(span->begin, span->end - span->begin));
            }
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unmatchedListText(std::string_view code) {
    return "[不匹配] " + std::string(code);
}

}  // namespace tolvira
