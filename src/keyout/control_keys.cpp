#include "keyout/control_keys.h"

namespace {

// The same keys on every layout the program serves: VK_RETURN, VK_TAB, VK_BACK and VK_ESCAPE
// produce CR, TAB, BS and ESC unshifted on the US layout (kbdus) and on the Japanese 106/109
// layout (kbdjpn) alike.
constexpr std::uint8_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B;
constexpr std::uint8_t N = kNoPlainKey;

// Indexed by the byte 0x00-0x1F. LF types nothing: a device that ends its lines with CR LF
// would otherwise type two line breaks, or, with CR as the end code, an extra Enter at the
// start of the next frame; a device that ends its lines with LF alone gets its Enter from the
// end code LF and a POSTCODE of v0D. DEL (0x7F) has no key either: the Delete key erases the
// text or the cells after the cursor.
constexpr std::uint8_t kControlKeys[0x20] = {
    N,       N,      N, N,         N, N,         N, N,  // NUL SOH STX ETX EOT ENQ ACK BEL
    kVkBack, kVkTab, N, N,         N, kVkReturn, N, N,  // BS  TAB LF  VT  FF  CR  SO  SI
    N,       N,      N, N,         N, N,         N, N,  // DLE DC1 DC2 DC3 DC4 NAK SYN ETB
    N,       N,      N, kVkEscape, N, N,         N, N,  // CAN EM  SUB ESC FS  GS  RS  US
};

}  // namespace

std::uint8_t ControlByteKey(std::uint8_t b) { return b < 0x20 ? kControlKeys[b] : kNoPlainKey; }
