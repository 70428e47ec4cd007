// The texts that name the product and its card, shared by every layer that shows or
// passes them. (Not included by the .rc file: the string table holds its own copies for
// the texts shown through resource ids.)
#pragma once

// The utility's title: main window, tray tip, configuration window caption, message boxes.
inline constexpr char kUtilityTitle[] = "Tallwyn TW7720 WLAN card utility";
// The card's name: the single-instance mutex and the card's description for detection.
inline constexpr char kCardName[] = "Tallwyn TW7720 - 11G Wireless PC card";
