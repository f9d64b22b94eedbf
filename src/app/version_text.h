// The product's version text: tray tip, splash/About label, main dialog title.
#pragma once

inline constexpr const char VersionText[] = "Tamblix( TM ) Ver.2.5.2";
