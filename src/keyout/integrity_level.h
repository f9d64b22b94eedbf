// Whether the system lets our input reach a window, by the integrity levels of the two
// processes (User Interface Privilege Isolation).
#pragma once
#include <cstdint>
#include <optional>

// An integrity level: the last sub-authority (RID) of a token's mandatory label, 0x1000 low,
// 0x2000 medium, 0x3000 high, 0x4000 system (Microsoft Learn, "Getting the Integrity Level
// for an Access Token").
using IntegrityLevel = std::uint32_t;

// Applications may inject input only into applications at an equal or lesser integrity level
// (Microsoft Learn, SendInput). A level that could not be read refuses nothing: typing goes on,
// and a refusal the system reports in SendInput's count still ends the frame.
constexpr bool IntegrityRefusesInput(std::optional<IntegrityLevel> target,
                                     std::optional<IntegrityLevel> own) {
  return target.has_value() && own.has_value() && *target > *own;
}
