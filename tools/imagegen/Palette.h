#pragma once

#include <QColor>

// The colours every generated picture shares, so that cell pictures, logos,
// banners and design pictures read as one family.
namespace palette {

inline const QColor frameLight{0xd5, 0xda, 0xe1};
inline const QColor frameDark{0xa9, 0xb1, 0xbc};
inline const QColor sashLight{0xc4, 0xcb, 0xd4};
inline const QColor sashDark{0x98, 0xa1, 0xad};
inline const QColor outline{0x4a, 0x54, 0x61};
inline const QColor glassLight{0xe6, 0xf1, 0xfa};
inline const QColor glassDark{0xb4, 0xd0, 0xe8};
inline const QColor symbol{0x1f, 0x4e, 0x79};
inline const QColor handle{0x3a, 0x40, 0x48};
inline const QColor empty{0xf4, 0xf6, 0xf8};
inline const QColor emptyLine{0xd3, 0xd9, 0xe0};

// Brand colours of the program itself.
inline const QColor brandNavy{0x0f, 0x2f, 0x4f};
inline const QColor brandBlue{0x1f, 0x5f, 0x99};
inline const QColor brandSky{0x5f, 0xa8, 0xe0};
inline const QColor brandAccent{0xf0, 0xa2, 0x3b};
inline const QColor ink{0x22, 0x2a, 0x33};
inline const QColor muted{0x6b, 0x76, 0x82};

}  // namespace palette
