// The frame pattern: a regular expression in ECMAScript syntax (a subset) over UTF-16 code
// units, compiled into a program of bounded size and matched by a Pike VM (a Thompson NFA
// simulation whose threads keep the priority order of backtracking), so that captures follow
// ECMAScript's leftmost-first semantics while the time is linear in the text (O(text length x
// program size), see FramePatternStepBound) and the memory fixed. Nothing here allocates; a
// match never recurses.
//
// Supported: literals; "." (any unit but a line terminator); \d \D \w \W \s \S \t \n \r \f \v
// \0 \xHH \uHHHH and escaped punctuation; classes [...] with ranges, negation and escapes;
// ^ $ (whole text, no multiline); \b \B; ( ) and (?: ); |; * + ? {n} {n,} {n,m} and their
// lazy forms; up to 9 capture groups. Refused: back-references, look-arounds, other (?
// groups, more groups, a program over the bound of its size or of its steps per unit of text,
// syntax errors.
#pragma once
#include <cstdint>

// Units of pattern text (FILTER holds at most 100 bytes, never more units than bytes).
inline constexpr int kFramePatternUnits = 100;
inline constexpr int kFramePatternGroups = 9;
// Instructions of a compiled program; counted repetition is expanded against this bound.
inline constexpr int kFramePatternInstructions = 1000;
// Quantifiers whose body can match empty: each needs a register per thread for the check
// that ends an iteration that consumed nothing.
inline constexpr int kFramePatternEmptyChecks = 16;
// Registers of a thread: start and end of the whole match and of each group, then the
// empty-iteration registers.
inline constexpr int kFramePatternSlots = 2 * (kFramePatternGroups + 1);
inline constexpr int kFramePatternRegisters = kFramePatternSlots + kFramePatternEmptyChecks;
// Entries of the closure's work stack. What a program can need is known when it is compiled
// (see MeasureClosure); a program that could need more is refused as too complex.
inline constexpr int kFramePatternStack = 4 * kFramePatternInstructions;
// Units of text a match looks at (positions are held in 16 bits); a frame has at most 2000.
inline constexpr int kFramePatternTextUnits = 8192;
// Instructions a match may visit per unit of text (FramePatternStepBound of one position): a
// program that could visit more is refused (kPatternErrorTooSlow). A unit of text arrives
// every 87 us at 115200 baud (10 bits a character); the dearest step measured on the build
// machine took about 40 ns of wall time under load (10-15 ns of CPU), so a frame costs at most
// about 80 us a character, less than the line takes to deliver it (bench/frame_pattern_bench.cpp
// measures the dearest pattern found under the bound: about 30 ms on 2000 units).
inline constexpr long kFramePatternStepsPerUnit = 2000;

// Compile errors (code page 932 at run time).
extern const char kPatternErrorSyntax[];
extern const char kPatternErrorParenthesis[];
extern const char kPatternErrorClass[];
extern const char kPatternErrorRange[];
extern const char kPatternErrorNothingToRepeat[];
extern const char kPatternErrorEscape[];
extern const char kPatternErrorBackReference[];
extern const char kPatternErrorLookAround[];
extern const char kPatternErrorGroups[];
extern const char kPatternErrorTooComplex[];
extern const char kPatternErrorTooLong[];
extern const char kPatternErrorTooSlow[];

// Instructions of a compiled program.
enum PatternOp : std::uint8_t {
  kOpChar,              // the unit a
  kOpAny,               // any unit but a line terminator
  kOpClass,             // a unit of class a
  kOpSplit,             // go on at a, then (lower priority) at b
  kOpJump,              // go on at a
  kOpSave,              // register a = position
  kOpReset,             // registers a .. a+b-1 = unset (groups inside a repeated atom)
  kOpIterStart,         // register a = position (an optional iteration starts)
  kOpIterCheck,         // the thread ends when register a = position (the iteration was empty)
  kOpBegin,             // ^
  kOpEnd,               // $
  kOpWordBoundary,      // \b
  kOpNotWordBoundary,   // \B
  kOpMatch,
};

// Items of a class: a range of units, or one of the class escapes.
enum PatternClassKind : std::uint8_t {
  kClassRange,
  kClassDigit,
  kClassNotDigit,
  kClassWord,
  kClassNotWord,
  kClassSpace,
  kClassNotSpace,
};

struct PatternInstruction {
  std::uint8_t op;
  std::uint16_t a;  // unit, class, slot, register or preferred target
  std::uint16_t b;  // second target, or the number of slots to reset
};

struct PatternClassItem {
  std::uint8_t kind;  // a range, or one of \d \D \w \W \s \S
  char16_t low;
  char16_t high;
};

struct PatternClass {
  std::uint16_t first;  // index of the first item
  std::uint16_t count;
  bool negated;
};

// A compiled pattern: fixed storage, copied freely.
struct FramePattern {
  PatternInstruction code[kFramePatternInstructions];
  int size;
  PatternClassItem items[kFramePatternUnits];
  PatternClass classes[kFramePatternUnits];
  int groups;     // capture groups, 0 to 9
  std::uint16_t nested;  // bit g set: capture group g lies inside another capture group
  int registers;  // registers a thread of this program uses
  int visits;     // instructions a text position can enter at most
};

struct FramePatternSpan {
  int start;  // -1: the group took no part in the match
  int end;
};

struct FramePatternMatch {
  FramePatternSpan group[kFramePatternGroups + 1];  // [0]: the whole match
};

// The memory of a match, reused from one match to the next (about 170 KB).
struct FramePatternWork {
  struct ThreadList {
    int count;
    std::uint16_t pc[kFramePatternInstructions];
    std::int16_t registers[kFramePatternInstructions * kFramePatternRegisters];
  };
  struct StackEntry {
    std::uint16_t pc;
    std::int16_t slot;  // -1: go on at pc; else restore the slot to value
    std::int16_t value;
  };
  ThreadList lists[2];
  std::int16_t current[kFramePatternRegisters];
  // The position whose closure last reached pc, and with how many empty iterations (bits).
  std::int16_t visited[kFramePatternInstructions];
  std::uint32_t visitedEmpty[kFramePatternInstructions];
  StackEntry stack[kFramePatternStack];
  // Instructions visited by the last match (see FramePatternStepBound).
  long steps;
  // The last match would have needed more stack than the compiler allowed for (never, unless
  // that measure is wrong; threads were dropped instead of writing past the stack).
  bool overflowed;
};

// Compiles n units of pattern. On success returns true; otherwise sets *error to one of the
// kPatternError texts and returns false. An empty pattern matches the empty text at 0.
bool CompileFramePattern(const char16_t* pattern, int n, FramePattern& out, const char** error);

// The most instructions a match of n units visits: per position each instruction is entered
// once per count of empty iterations it can be inside (`visits` in all) and reached along at
// most two edges from those entries, plus one start per thread.
long FramePatternStepBound(const FramePattern& pattern, int n);

// regex_search: the leftmost match of the pattern in the first n units of text (at most
// kFramePatternTextUnits are looked at), with its groups as ECMAScript gives them.
bool MatchFramePattern(const FramePattern& pattern, const char16_t* text, int n,
                       FramePatternWork& work, FramePatternMatch& match);
