#pragma once
// Conversion between the program's texts and the settings file's Shift_JIS (Windows code page
// 932), so that files written by the program on Windows read back unchanged. "～" (U+FF5E) is
// 0x81 0x60 both ways. The look-alikes Linux input methods type, "〜" "−" "∥" "—" "¢" "£" "¬",
// are stored as the bytes Windows stores for "～" "－" "∥" "―" "￠" "￡" "￢" and read back as
// those.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace storage {

// Characters code page 932 cannot hold become "?", as on Windows; callers taking user text check
// cp932CanEncode() first.
QByteArray cp932Encode(const QString& text);

// Bytes that are not valid code page 932 become U+FFFD.
QString cp932Decode(QByteArrayView bytes);

// True when the text survives the round trip through code page 932 unchanged, or changed only
// from look-alikes to their Windows forms.
bool cp932CanEncode(const QString& text);

// The first byte of a double-byte character; its second byte may then be any of 0x40-0xFC,
// "[", "]", "\" and ASCII letters included.
inline bool isCp932LeadByte(uchar byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

} // namespace storage
