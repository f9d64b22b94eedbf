#include "reception/data_interval.h"

#include "reception/frame_actions.h"

bool CheckDataIntervalTimeout(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                              std::uint32_t now, std::uint32_t& lastReceiveTime) {
  if (lastReceiveTime == 0 || s.DATADELAY <= 0) return false;
  if (now - lastReceiveTime < static_cast<std::uint32_t>(s.DATADELAY)) return false;
  lastReceiveTime = 0;
  st.Utf8Tail.Count = 0;  // the device has stopped inside a character: it is never completed
  EndFrame(st, s, out);
  return true;
}
