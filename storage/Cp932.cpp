#include "storage/Cp932.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <utility>

namespace storage {

namespace {

// One conversion direction, opened once per thread: settings reads convert thousands of values.
class Converter {
public:
    Converter(const char* to, const char* from)
        : m_handle(iconv_open(to, from)) {}
    ~Converter() {
        if (isOpen())
            iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool isOpen() const { return m_handle != iconv_t(-1); }

    // Converts all of in; each input sequence the target cannot take is skipped (its length
    // told by skipLength) and replaced. Returns false when anything was replaced.
    template <typename SkipLength>
    bool convert(QByteArrayView in, QByteArray& out, QByteArrayView replacement,
                 SkipLength skipLength) {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 3 + 4);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = size_t(in.size());
        char* outPtr = out.data();
        size_t outLeft = size_t(out.size());
        bool exact = true;
        while (inLeft > 0) {
            if (iconv(m_handle, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
                break;
            if (errno == E2BIG) {
                const qsizetype used = outPtr - out.data();
                out.resize(out.size() * 2);
                outPtr = out.data() + used;
                outLeft = size_t(out.size() - used);
                continue;
            }
            // EILSEQ or EINVAL: an unconvertible or cut-off sequence.
            exact = false;
            const size_t skip = std::min(inLeft, size_t(skipLength(uchar(*inPtr))));
            inPtr += skip;
            inLeft -= skip;
            if (outLeft < size_t(replacement.size())) {
                const qsizetype used = outPtr - out.data();
                out.resize(out.size() + replacement.size() + 16);
                outPtr = out.data() + used;
                outLeft = size_t(out.size() - used);
            }
            std::copy(replacement.begin(), replacement.end(), outPtr);
            outPtr += replacement.size();
            outLeft -= size_t(replacement.size());
        }
        out.resize(outPtr - out.data());
        return exact;
    }

private:
    iconv_t m_handle;
};

int utf8SequenceLength(uchar lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    return lead >= 0xC0 ? 2 : 1;
}

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

bool encode(const QString& text, QByteArray& out) {
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        out = text.toLatin1();
        return true;
    }
    thread_local Converter toCp932("CP932", "UTF-8");
    const QByteArray utf8 = text.toUtf8();
    if (!toCp932.isOpen()) {
        out.clear();
        for (char c : utf8)
            if ((uchar(c) & 0xC0) != 0x80)
                out += uchar(c) < 0x80 ? c : '?';
        return false;
    }
    return toCp932.convert(utf8, out, "?", utf8SequenceLength);
}

// The characters that code page 932 stores under the bytes of a Windows form, with that form.
// The converter already writes them so; only the check of a round trip needs to know.
constexpr std::pair<char16_t, char16_t> kLookAlikes[] = {
    {u'\u301C', u'\uFF5E'}, {u'\u2212', u'\uFF0D'}, {u'\u2016', u'\u2225'}, {u'\u2014', u'\u2015'},
    {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'}};

QString windowsForms(QString text) {
    for (const auto& [lookAlike, windows] : kLookAlikes)
        text.replace(QChar(lookAlike), QChar(windows));
    return text;
}

} // namespace

QByteArray cp932Encode(const QString& text) {
    QByteArray out;
    encode(text, out);
    return out;
}

QString cp932Decode(QByteArrayView bytes) {
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    thread_local Converter fromCp932("UTF-8", "CP932");
    if (!fromCp932.isOpen()) {
        QString text;
        for (char c : bytes)
            text += uchar(c) < 0x80 ? QChar(char16_t(c)) : QChar(QChar::ReplacementCharacter);
        return text;
    }
    QByteArray utf8;
    fromCp932.convert(bytes, utf8, "\xEF\xBF\xBD", [](uchar) { return 1; });
    return QString::fromUtf8(utf8);
}

bool cp932CanEncode(const QString& text) {
    QByteArray bytes;
    return encode(text, bytes) && cp932Decode(bytes) == windowsForms(text);
}

} // namespace storage
