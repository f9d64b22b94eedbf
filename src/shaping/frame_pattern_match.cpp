// Matching a frame pattern: a Pike VM. The threads of one text position are kept in priority
// order (the order in which backtracking would try them); each instruction is entered at most
// once per position, by the thread of highest priority that reaches it, so a position costs at
// most a few visits per instruction and the lists never outgrow the program. The closure of a
// thread follows splits on an explicit stack, undoing register writes when it backs up.
#include <cstring>

#include "shaping/frame_pattern.h"

namespace {

bool IsLineTerminator(char16_t c) { return c == 0x0A || c == 0x0D || c == 0x2028 || c == 0x2029; }

bool IsDigitUnit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsWordUnit(char16_t c) {
  return IsDigitUnit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

// ECMAScript's white space and line terminators.
bool IsSpaceUnit(char16_t c) {
  if (c >= 0x09 && c <= 0x0D) return true;
  if (c >= 0x2000 && c <= 0x200A) return true;
  switch (c) {
    case 0x20: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F:
    case 0x3000: case 0xFEFF:
      return true;
    default:
      return false;
  }
}

bool ItemHolds(const PatternClassItem& item, char16_t c) {
  switch (item.kind) {
    case kClassRange: return c >= item.low && c <= item.high;
    case kClassDigit: return IsDigitUnit(c);
    case kClassNotDigit: return !IsDigitUnit(c);
    case kClassWord: return IsWordUnit(c);
    case kClassNotWord: return !IsWordUnit(c);
    case kClassSpace: return IsSpaceUnit(c);
    default: return !IsSpaceUnit(c);
  }
}

bool Consumes(const FramePattern& p, const PatternInstruction& in, char16_t c) {
  switch (in.op) {
    case kOpChar:
      return c == in.a;
    case kOpAny:
      return !IsLineTerminator(c);
    case kOpClass: {
      const PatternClass& cls = p.classes[in.a];
      bool holds = false;
      for (int i = 0; i < cls.count && !holds; ++i) holds = ItemHolds(p.items[cls.first + i], c);
      return holds != cls.negated;
    }
    default:
      return false;
  }
}

bool AssertionHolds(int op, const char16_t* text, int n, int pos) {
  if (op == kOpBegin) return pos == 0;
  if (op == kOpEnd) return pos == n;
  const bool before = pos > 0 && IsWordUnit(text[pos - 1]);
  const bool after = pos < n && IsWordUnit(text[pos]);
  return (before != after) == (op == kOpWordBoundary);
}

class Machine {
 public:
  Machine(const FramePattern& p, FramePatternWork& w, const char16_t* text, int n)
      : p_(p), w_(w), text_(text), n_(n), checkBase_(2 * (p.groups + 1)) {}

  // Adds to `list` the threads that the thread with registers w_.current, at `pc` and `pos`,
  // becomes before it consumes a unit, in priority order.
  void Closure(FramePatternWork::ThreadList& list, int pc, int pos) {
    pos_ = pos;
    empty_ = 0;
    for (int r = checkBase_; r < p_.registers; ++r) empty_ += w_.current[r] == pos ? 1 : 0;
    int top = 0;
    w_.stack[top++] = {static_cast<std::uint16_t>(pc), -1, 0};
    while (top > 0) {
      const FramePatternWork::StackEntry e = w_.stack[--top];
      if (e.slot >= 0) {
        Write(e.slot, e.value);
        continue;
      }
      for (int at = e.pc; at >= 0;) at = Step(list, at, top);
    }
  }

 private:
  // Runs the instruction at pc; returns the next one, or -1 where the thread stops here.
  //
  // A thread's future depends on its pc and on which of the optional iterations it is inside
  // have consumed nothing yet (those end in failure if nothing follows). Iterations nest and
  // start in order, so the empty ones are the innermost `empty_` of them: (pc, empty_) is the
  // whole state, and the first thread to reach a state, the one of highest priority, is the
  // only one that goes on from it. A unit to consume (or the match) makes every iteration
  // non-empty, so there pc alone is the state.
  int Step(FramePatternWork::ThreadList& list, int pc, int& top) {
    const PatternInstruction& in = p_.code[pc];
    ++w_.steps;
    const bool consumes = in.op == kOpChar || in.op == kOpAny || in.op == kOpClass ||
                          in.op == kOpMatch;
    const std::uint32_t bit = consumes ? ~std::uint32_t{0} : std::uint32_t{1} << empty_;
    if (w_.visited[pc] != pos_) {
      w_.visited[pc] = static_cast<std::int16_t>(pos_);
      w_.visitedEmpty[pc] = 0;
    }
    if ((w_.visitedEmpty[pc] & bit) != 0) return -1;
    w_.visitedEmpty[pc] |= bit;
    // Never reached when the compiler measured right; a guard all the same, so that the stack
    // can never be written past (the thread ends instead, and the match says so).
    const int pushes = in.op == kOpReset ? in.b
                       : in.op == kOpSplit || in.op == kOpSave || in.op == kOpIterStart ? 1
                                                                                       : 0;
    if (top + pushes > kFramePatternStack) {
      w_.overflowed = true;
      return -1;
    }
    switch (in.op) {
      case kOpJump:
        return in.a;
      case kOpSplit:
        w_.stack[top++] = {in.b, -1, 0};
        return in.a;
      case kOpSave:
      case kOpIterStart:
        Set(in.a, pos_, top);
        return pc + 1;
      case kOpReset:
        for (int s = in.a; s < in.a + in.b; ++s) Set(s, -1, top);
        return pc + 1;
      case kOpIterCheck:
        return w_.current[in.a] == pos_ ? -1 : pc + 1;
      case kOpBegin:
      case kOpEnd:
      case kOpWordBoundary:
      case kOpNotWordBoundary:
        return AssertionHolds(in.op, text_, n_, pos_) ? pc + 1 : -1;
      default:  // a unit to consume, or the match
        Keep(list, pc);
        return -1;
    }
  }

  // Writes a register, keeping the count of empty iterations.
  void Write(int slot, int value) {
    if (slot >= checkBase_) empty_ += (value == pos_ ? 1 : 0) - (w_.current[slot] == pos_ ? 1 : 0);
    w_.current[slot] = static_cast<std::int16_t>(value);
  }

  // Writes a register and remembers its old value for when the closure backs up.
  void Set(int slot, int value, int& top) {
    w_.stack[top++] = {0, static_cast<std::int16_t>(slot), w_.current[slot]};
    Write(slot, value);
  }

  void Keep(FramePatternWork::ThreadList& list, int pc) {
    const int k = list.count++;
    list.pc[k] = static_cast<std::uint16_t>(pc);
    std::memcpy(list.registers + static_cast<std::ptrdiff_t>(k) * p_.registers, w_.current,
                sizeof(std::int16_t) * static_cast<std::size_t>(p_.registers));
  }

  const FramePattern& p_;
  FramePatternWork& w_;
  const char16_t* text_;
  int n_;
  int checkBase_;
  int pos_ = 0;
  int empty_ = 0;  // iterations the thread is inside that started at pos_
};

}  // namespace

bool MatchFramePattern(const FramePattern& pattern, const char16_t* text, int n,
                       FramePatternWork& work, FramePatternMatch& match) {
  for (FramePatternSpan& g : match.group) g = FramePatternSpan{-1, -1};
  work.steps = 0;
  work.overflowed = false;
  if (pattern.size <= 0) return false;
  if (n < 0) n = 0;
  if (n > kFramePatternTextUnits) n = kFramePatternTextUnits;
  for (int pc = 0; pc < pattern.size; ++pc) work.visited[pc] = -1;
  Machine machine(pattern, work, text, n);
  FramePatternWork::ThreadList* now = &work.lists[0];
  FramePatternWork::ThreadList* next = &work.lists[1];
  now->count = 0;
  bool matched = false;
  for (int pos = 0; pos <= n; ++pos) {
    // A match starting here has the lowest priority: every thread started further left
    // comes first (regex_search's leftmost match). Once there is a match none starts.
    if (!matched) {
      for (int r = 0; r < pattern.registers; ++r) work.current[r] = -1;
      machine.Closure(*now, 0, pos);
    }
    if (now->count == 0 && matched) break;
    next->count = 0;
    for (int t = 0; t < now->count; ++t) {
      const PatternInstruction& in = pattern.code[now->pc[t]];
      const std::int16_t* registers =
          now->registers + static_cast<std::ptrdiff_t>(t) * pattern.registers;
      if (in.op == kOpMatch) {
        // The best match so far; the threads after this one rank lower and end here.
        for (std::ptrdiff_t g = 0; g <= pattern.groups; ++g) {
          const int start = registers[2 * g], end = registers[2 * g + 1];
          if (start >= 0 && end >= 0) match.group[g] = FramePatternSpan{start, end};
          else match.group[g] = FramePatternSpan{-1, -1};
        }
        matched = true;
        break;
      }
      if (pos < n && Consumes(pattern, in, text[pos])) {
        std::memcpy(work.current, registers,
                    sizeof(std::int16_t) * static_cast<std::size_t>(pattern.registers));
        machine.Closure(*next, now->pc[t] + 1, pos + 1);
      }
    }
    FramePatternWork::ThreadList* done = now;
    now = next;
    next = done;
  }
  return matched;
}

long FramePatternStepBound(const FramePattern& pattern, int n) {
  return (n + 1L) * (3L * pattern.visits + pattern.size + 1);
}
