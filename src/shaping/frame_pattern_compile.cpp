// Compiling a frame pattern: a recursive-descent parser (its depth bounded by the pattern's
// 100 units) builds a small tree in fixed storage, then the tree is emitted as a Pike VM
// program, counted repetition expanded copy by copy against the instruction bound.
#include "shaping/frame_pattern.h"

const char kPatternErrorSyntax[] = "パターンの書き方が正しくありません";
const char kPatternErrorParenthesis[] = "パターンの括弧 ( ) が対応していません";
const char kPatternErrorClass[] = "パターンの [ ] が閉じていません";
const char kPatternErrorRange[] = "パターンの範囲指定が正しくありません";
const char kPatternErrorNothingToRepeat[] = "パターンの繰り返し記号の前に繰り返すものがありません";
const char kPatternErrorEscape[] = "パターンに使えない \\ の組み合わせがあります";
const char kPatternErrorBackReference[] = "パターンに後方参照は使えません";
const char kPatternErrorLookAround[] = "パターンに先読み・後読みは使えません";
const char kPatternErrorGroups[] = "パターンのグループ ( ) は9個までです";
const char kPatternErrorTooComplex[] = "パターンが複雑すぎます";
const char kPatternErrorTooLong[] = "パターンが長すぎます (100バイトまで)";
const char kPatternErrorTooSlow[] =
    "パターンの照合に時間がかかりすぎます (繰り返しの入れ子や回数を減らしてください)";

namespace {

constexpr int kMaxNodes = 4 * kFramePatternUnits + 8;
constexpr int kUnbounded = -1;
constexpr int kCountCap = 100000;  // repetition counts saturate here (far above any program)
constexpr std::uint16_t kNoLink = 0xFFFF;

enum NodeKind : std::uint8_t {
  kNodeEmpty,
  kNodeChar,    // value: the unit
  kNodeAny,
  kNodeClass,   // value: class index
  kNodeAssert,  // value: the PatternOp
  kNodeGroup,   // value: capture group number, 0 for (?: )
  kNodeConcat,  // children: the terms
  kNodeAlt,     // children: the alternatives, in priority order
  kNodeRepeat,  // child: the atom
};

struct Node {
  NodeKind kind;
  std::uint16_t value;
  int child;  // first child, -1 for none
  int next;   // next sibling, -1 for none
  int min;
  int max;  // kUnbounded for no limit
  bool greedy;
  int groupsBefore;  // capture groups opened before the repeated atom
  int groupsAfter;   // ... and after it: the atom holds groups groupsBefore+1 .. groupsAfter
  int check;         // empty-iteration register number, -1 when the atom cannot match empty
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsAsciiAlnum(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int HexValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One element of a class or an escape: a unit, or a class escape (kind != kClassRange).
struct ClassAtom {
  PatternClassKind kind;
  char16_t unit;
};

class Parser {
 public:
  Parser(const char16_t* p, int n, FramePattern& out) : p_(p), n_(n), out_(out) {}

  // The root of the tree, or -1 with error() set.
  int Parse() {
    const int root = Disjunction();
    if (root < 0) return -1;
    if (pos_ < n_) return Fail(kPatternErrorParenthesis);  // a ")" with no "(" before it
    return root;
  }
  const char* error() const { return error_; }
  int groups() const { return groups_; }
  int checks() const { return checks_; }
  const Node* nodes() const { return nodes_; }

 private:
  int Fail(const char* error) {
    if (error_ == nullptr) error_ = error;
    return -1;
  }
  bool Refuse(const char* error) {
    Fail(error);
    return false;
  }

  int NewNode(NodeKind kind, std::uint16_t value = 0) {
    if (count_ >= kMaxNodes) return Fail(kPatternErrorTooComplex);
    Node& node = nodes_[count_];
    node = Node{kind, value, -1, -1, 0, 0, true, 0, 0, -1};
    return count_++;
  }

  bool At(char16_t c) const { return pos_ < n_ && p_[pos_] == c; }

  int Disjunction() {
    const int first = Alternative();
    if (first < 0 || !At(u'|')) return first;
    const int alt = NewNode(kNodeAlt);
    if (alt < 0) return -1;
    nodes_[alt].child = first;
    int last = first;
    while (At(u'|')) {
      ++pos_;
      const int next = Alternative();
      if (next < 0) return -1;
      nodes_[last].next = next;
      last = next;
    }
    return alt;
  }

  int Alternative() {
    const int concat = NewNode(kNodeConcat);
    if (concat < 0) return -1;
    int last = -1;
    while (pos_ < n_ && !At(u'|') && !At(u')')) {
      const int term = Term();
      if (term < 0) return -1;
      if (last < 0) {
        nodes_[concat].child = term;
      } else {
        nodes_[last].next = term;
      }
      last = term;
    }
    return concat;
  }

  // "{n}", "{n,}" or "{n,m}" at `at`: its counts and the position after it. Anything else
  // starting with "{" is no quantifier (and then a literal "{", as browsers read it).
  bool Braces(int at, int& min, int& max, int& after) const {
    if (at >= n_ || p_[at] != u'{') return false;
    int i = at + 1;
    if (!ReadCount(i, min)) return false;
    max = min;
    if (i < n_ && p_[i] == u',') {
      ++i;
      max = kUnbounded;
      if (i < n_ && IsDigit(p_[i])) ReadCount(i, max);
    }
    if (i >= n_ || p_[i] != u'}') return false;
    after = i + 1;
    return true;
  }

  bool ReadCount(int& i, int& value) const {
    if (i >= n_ || !IsDigit(p_[i])) return false;
    value = 0;
    while (i < n_ && IsDigit(p_[i])) {
      value = value * 10 + (p_[i] - u'0');
      if (value > kCountCap) value = kCountCap;
      ++i;
    }
    return true;
  }

  bool AtQuantifier() const {
    if (At(u'*') || At(u'+') || At(u'?')) return true;
    int min = 0, max = 0, after = 0;
    return Braces(pos_, min, max, after);
  }

  int Term() {
    const char16_t c = p_[pos_];
    int op = -1;
    if (c == u'^') op = kOpBegin;
    if (c == u'$') op = kOpEnd;
    if (c == u'\\' && pos_ + 1 < n_ && p_[pos_ + 1] == u'b') op = kOpWordBoundary;
    if (c == u'\\' && pos_ + 1 < n_ && p_[pos_ + 1] == u'B') op = kOpNotWordBoundary;
    if (op >= 0) {
      pos_ += c == u'\\' ? 2 : 1;
      if (AtQuantifier()) return Fail(kPatternErrorNothingToRepeat);
      return NewNode(kNodeAssert, static_cast<std::uint16_t>(op));
    }
    const int groupsBefore = groups_;
    const int atom = Atom();
    if (atom < 0) return -1;
    return Quantifier(atom, groupsBefore);
  }

  int Atom() {
    const char16_t c = p_[pos_];
    switch (c) {
      case u'(':
        return Group();
      case u'.':
        ++pos_;
        return NewNode(kNodeAny);
      case u'[':
        ++pos_;
        return Class();
      case u'\\': {
        ++pos_;
        ClassAtom a{};
        if (!Escape(a, false)) return -1;
        return a.kind == kClassRange ? NewNode(kNodeChar, a.unit) : SingleClass(a.kind);
      }
      case u'*':
      case u'+':
      case u'?':
        return Fail(kPatternErrorNothingToRepeat);
      default:
        if (c == u'{' && AtQuantifier()) return Fail(kPatternErrorNothingToRepeat);
        ++pos_;
        return NewNode(kNodeChar, c);
    }
  }

  int Group() {
    ++pos_;  // "("
    int number = 0;
    if (At(u'?')) {
      const char16_t kind = pos_ + 1 < n_ ? p_[pos_ + 1] : u'\0';
      const char16_t after = pos_ + 2 < n_ ? p_[pos_ + 2] : u'\0';
      if (kind == u'=' || kind == u'!' || (kind == u'<' && (after == u'=' || after == u'!'))) {
        return Fail(kPatternErrorLookAround);
      }
      if (kind != u':') return Fail(kPatternErrorSyntax);
      pos_ += 2;
    } else {
      if (groups_ == kFramePatternGroups) return Fail(kPatternErrorGroups);
      number = ++groups_;
      if (openCaptures_ > 0) out_.nested = static_cast<std::uint16_t>(out_.nested | 1u << number);
    }
    const int group = NewNode(kNodeGroup, static_cast<std::uint16_t>(number));
    if (group < 0) return -1;
    if (number > 0) ++openCaptures_;
    const int body = Disjunction();
    if (number > 0) --openCaptures_;
    if (body < 0) return -1;
    if (!At(u')')) return Fail(kPatternErrorParenthesis);
    ++pos_;
    nodes_[group].child = body;
    return group;
  }

  int Quantifier(int atom, int groupsBefore) {
    int min = 0, max = 0, after = pos_ + 1;
    if (At(u'*')) {
      max = kUnbounded;
    } else if (At(u'+')) {
      min = 1;
      max = kUnbounded;
    } else if (At(u'?')) {
      max = 1;
    } else if (!Braces(pos_, min, max, after)) {
      return atom;
    }
    pos_ = after;
    bool greedy = true;
    if (At(u'?')) {
      greedy = false;
      ++pos_;
    }
    if (max != kUnbounded && max < min) return Fail(kPatternErrorRange);
    const int repeat = NewNode(kNodeRepeat);
    if (repeat < 0) return -1;
    Node& r = nodes_[repeat];
    r.child = atom;
    r.min = min;
    r.max = max;
    r.greedy = greedy;
    r.groupsBefore = groupsBefore;
    r.groupsAfter = groups_;
    // Iterations beyond the minimum that consume nothing fail: they need a register.
    if (max != min && Nullable(atom)) {
      if (checks_ == kFramePatternEmptyChecks) return Fail(kPatternErrorTooComplex);
      r.check = checks_++;
    }
    return repeat;
  }

  bool Nullable(int node) const {
    const Node& x = nodes_[node];
    switch (x.kind) {
      case kNodeChar:
      case kNodeAny:
      case kNodeClass:
        return false;
      case kNodeGroup:
        return Nullable(x.child);
      case kNodeRepeat:
        return x.min == 0 || Nullable(x.child);
      case kNodeConcat:
        for (int c = x.child; c >= 0; c = nodes_[c].next) {
          if (!Nullable(c)) return false;
        }
        return true;
      case kNodeAlt:
        for (int c = x.child; c >= 0; c = nodes_[c].next) {
          if (Nullable(c)) return true;
        }
        return false;
      default:
        return true;
    }
  }

  // The escape after a "\" (pos_ is past the backslash). Inside a class \b is the backspace.
  bool Escape(ClassAtom& a, bool inClass) {
    if (pos_ >= n_) return Refuse(kPatternErrorEscape);
    const char16_t c = p_[pos_++];
    a.kind = kClassRange;
    a.unit = c;
    switch (c) {
      case u'd': a.kind = kClassDigit; return true;
      case u'D': a.kind = kClassNotDigit; return true;
      case u'w': a.kind = kClassWord; return true;
      case u'W': a.kind = kClassNotWord; return true;
      case u's': a.kind = kClassSpace; return true;
      case u'S': a.kind = kClassNotSpace; return true;
      case u't': a.unit = 0x09; return true;
      case u'n': a.unit = 0x0A; return true;
      case u'v': a.unit = 0x0B; return true;
      case u'f': a.unit = 0x0C; return true;
      case u'r': a.unit = 0x0D; return true;
      case u'b':
        if (!inClass) break;
        a.unit = 0x08;
        return true;
      case u'0':
        if (pos_ < n_ && IsDigit(p_[pos_])) break;  // an old octal escape
        a.unit = 0;
        return true;
      case u'x':
        return HexUnit(2, a);
      case u'u':
        return HexUnit(4, a);
      case u'k':
        if (!inClass) return Refuse(kPatternErrorBackReference);
        break;
      default:
        if (c >= u'1' && c <= u'9' && !inClass) return Refuse(kPatternErrorBackReference);
        if (!IsAsciiAlnum(c)) return true;  // an escaped punctuation mark or other character
        break;
    }
    return Refuse(kPatternErrorEscape);
  }

  bool HexUnit(int digits, ClassAtom& a) {
    int value = 0;
    for (int i = 0; i < digits; ++i) {
      const int h = pos_ + i < n_ ? HexValue(p_[pos_ + i]) : -1;
      if (h < 0) return Refuse(kPatternErrorEscape);
      value = value * 16 + h;
    }
    pos_ += digits;
    a.unit = static_cast<char16_t>(value);
    return true;
  }

  bool ClassElement(ClassAtom& a) {
    const char16_t c = p_[pos_++];
    if (c != u'\\') {
      a = ClassAtom{kClassRange, c};
      return true;
    }
    return Escape(a, true);
  }

  bool AddItem(PatternClassKind kind, char16_t low, char16_t high) {
    if (items_ >= kFramePatternUnits) return Refuse(kPatternErrorTooComplex);
    out_.items[items_++] = PatternClassItem{kind, low, high};
    return true;
  }

  int NewClass(int first, bool negated) {
    if (classes_ >= kFramePatternUnits) return Fail(kPatternErrorTooComplex);
    out_.classes[classes_] = PatternClass{static_cast<std::uint16_t>(first),
                                          static_cast<std::uint16_t>(items_ - first), negated};
    return NewNode(kNodeClass, static_cast<std::uint16_t>(classes_++));
  }

  int SingleClass(PatternClassKind kind) {
    const int first = items_;
    if (!AddItem(kind, 0, 0)) return -1;
    return NewClass(first, false);
  }

  int Class() {
    const bool negated = At(u'^');
    if (negated) ++pos_;
    const int first = items_;
    for (;;) {
      if (pos_ >= n_) return Fail(kPatternErrorClass);
      if (At(u']')) break;
      ClassAtom low{};
      if (!ClassElement(low)) return -1;
      if (pos_ + 1 < n_ && At(u'-') && p_[pos_ + 1] != u']') {
        ++pos_;
        ClassAtom high{};
        if (!ClassElement(high)) return -1;
        if (low.kind != kClassRange || high.kind != kClassRange || low.unit > high.unit) {
          return Fail(kPatternErrorRange);
        }
        if (!AddItem(kClassRange, low.unit, high.unit)) return -1;
      } else if (!AddItem(low.kind, low.unit, low.unit)) {
        return -1;
      }
    }
    ++pos_;  // "]"
    return NewClass(first, negated);
  }

  const char16_t* p_;
  int n_;
  FramePattern& out_;
  int pos_ = 0;
  int groups_ = 0;
  int openCaptures_ = 0;  // capture groups around the current position
  int checks_ = 0;
  int items_ = 0;
  int classes_ = 0;
  int count_ = 0;
  const char* error_ = nullptr;
  Node nodes_[kMaxNodes] = {};
};

class Emitter {
 public:
  Emitter(const Node* nodes, FramePattern& out) : nodes_(nodes), out_(out) {}

  bool full() const { return full_; }

  int Add(PatternOp op, int a = 0, int b = 0) {
    if (out_.size >= kFramePatternInstructions) {
      full_ = true;
      return 0;
    }
    out_.code[out_.size] =
        PatternInstruction{op, static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b)};
    return out_.size++;
  }

  void Emit(int node) {
    if (full_) return;
    const Node& x = nodes_[node];
    switch (x.kind) {
      case kNodeEmpty:
        break;
      case kNodeChar:
        Add(kOpChar, x.value);
        break;
      case kNodeAny:
        Add(kOpAny);
        break;
      case kNodeClass:
        Add(kOpClass, x.value);
        break;
      case kNodeAssert:
        Add(static_cast<PatternOp>(x.value));
        break;
      case kNodeGroup:
        if (x.value != 0) Add(kOpSave, 2 * x.value);
        Emit(x.child);
        if (x.value != 0) Add(kOpSave, 2 * x.value + 1);
        break;
      case kNodeConcat:
        for (int c = x.child; c >= 0 && !full_; c = nodes_[c].next) Emit(c);
        break;
      case kNodeAlt:
        EmitAlternatives(x);
        break;
      case kNodeRepeat:
        EmitRepeat(x);
        break;
    }
  }

 private:
  // split next-alternative; alternative; jump end; ... last alternative.
  void EmitAlternatives(const Node& x) {
    int jumps = kNoLink;  // the jumps to the end, linked through their targets
    for (int c = x.child; c >= 0 && !full_; c = nodes_[c].next) {
      if (nodes_[c].next < 0) {
        Emit(c);
        break;
      }
      const int split = Add(kOpSplit, out_.size + 1);
      Emit(c);
      jumps = Add(kOpJump, jumps);
      if (!full_) out_.code[split].b = static_cast<std::uint16_t>(out_.size);
    }
    Patch(jumps, false);
  }

  // Points every instruction of a list linked through field a (or b) at the current end.
  void Patch(int link, bool throughB) {
    if (full_) return;
    while (link != kNoLink) {
      PatternInstruction& in = out_.code[link];
      std::uint16_t& field = throughB ? in.b : in.a;
      link = field;
      field = static_cast<std::uint16_t>(out_.size);
    }
  }

  // One iteration: groups of the atom reset (ECMAScript forgets them at each iteration), the
  // start position kept for the empty check, the atom, the check.
  void EmitIteration(const Node& r, bool reset, bool checked) {
    const int slots = 2 * (r.groupsAfter - r.groupsBefore);
    if (reset && slots > 0) Add(kOpReset, 2 * (r.groupsBefore + 1), slots);
    if (checked) Add(kOpIterStart, EmptyRegister(r));
    Emit(r.child);
    if (checked) Add(kOpIterCheck, EmptyRegister(r));
  }

  int EmptyRegister(const Node& r) const { return 2 * (groupsTotal + 1) + r.check; }

  void EmitRepeat(const Node& r) {
    for (int i = 0; i < r.min && !full_; ++i) {
      const int before = out_.size;
      EmitIteration(r, i > 0, false);
      if (out_.size == before) break;  // an atom of no instructions: every copy is alike
    }
    const bool checked = r.check >= 0;
    if (r.max == kUnbounded) {
      const int loop = Add(kOpSplit);
      const int body = out_.size;
      EmitIteration(r, true, checked);
      Add(kOpJump, loop);
      if (full_) return;
      const int exit = out_.size;
      out_.code[loop].a = static_cast<std::uint16_t>(r.greedy ? body : exit);
      out_.code[loop].b = static_cast<std::uint16_t>(r.greedy ? exit : body);
      return;
    }
    // Optional copies, each entered only after the one before: x{0,3} = (?:x(?:x(?:x)?)?)?.
    int exits = kNoLink;
    for (int i = r.min; i < r.max && !full_; ++i) {
      const int split = Add(kOpSplit);
      const int body = out_.size;
      EmitIteration(r, i > 0, checked);
      if (full_) break;
      out_.code[split].a = static_cast<std::uint16_t>(r.greedy ? body : exits);
      out_.code[split].b = static_cast<std::uint16_t>(r.greedy ? exits : body);
      exits = split;
    }
    Patch(exits, r.greedy);
  }

 public:
  int groupsTotal = 0;

 private:
  const Node* nodes_;
  FramePattern& out_;
  bool full_ = false;
};

// What a position can cost: an instruction is entered once per count of empty iterations, and
// a thread inside k checked iterations has at most k of them empty (the iteration bodies lie
// nested in the code, from their IterStart to their IterCheck). Sets the entries the
// closure's stack can need (one per split, save and iteration start entered, one per slot a
// reset clears) and the instructions entered at most.
void MeasureClosure(FramePattern& p, int& stackNeed) {
  int depth = 0;
  stackNeed = 1;
  p.visits = 0;
  for (int i = 0; i < p.size; ++i) {
    const PatternInstruction& in = p.code[i];
    if (in.op == kOpIterStart) ++depth;
    int pushes = 0;
    if (in.op == kOpSplit || in.op == kOpSave || in.op == kOpIterStart) pushes = 1;
    if (in.op == kOpReset) pushes = in.b;
    p.visits += depth + 1;
    stackNeed += pushes * (depth + 1);
    if (in.op == kOpIterCheck) --depth;
  }
}

}  // namespace

bool CompileFramePattern(const char16_t* pattern, int n, FramePattern& out, const char** error) {
  *error = nullptr;
  out.size = 0;
  out.groups = 0;
  out.nested = 0;
  out.registers = 2;
  out.visits = 0;
  if (n > kFramePatternUnits) {
    *error = kPatternErrorTooLong;
    return false;
  }
  static_assert(kFramePatternInstructions < kNoLink, "instruction indices and the link end");
  Parser parser(pattern, n < 0 ? 0 : n, out);
  const int root = parser.Parse();
  if (root < 0) {
    *error = parser.error();
    return false;
  }
  Emitter emitter(parser.nodes(), out);
  emitter.groupsTotal = parser.groups();
  emitter.Add(kOpSave, 0);
  emitter.Emit(root);
  emitter.Add(kOpSave, 1);
  emitter.Add(kOpMatch);
  int stackNeed = 0;
  if (!emitter.full()) MeasureClosure(out, stackNeed);
  if (emitter.full() || stackNeed > kFramePatternStack) {
    out.size = 0;
    *error = kPatternErrorTooComplex;
    return false;
  }
  if (FramePatternStepBound(out, 0) > kFramePatternStepsPerUnit) {
    out.size = 0;
    *error = kPatternErrorTooSlow;
    return false;
  }
  out.groups = parser.groups();
  out.registers = 2 * (out.groups + 1) + parser.checks();
  return true;
}
