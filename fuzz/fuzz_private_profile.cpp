// The settings parser on any bytes, invalid Shift_JIS included. The input is split into a section
// name, a key, a value and the document; the document is parsed, the value set and the result
// parsed again:
// - parsing alone changes nothing: bytes() gives the document back;
// - an accepted write reads back as written (blanks around it dropped, as every read does), and
//   every other value read before still reads the same;
// - every line the write did not touch stays byte for byte, only the last line of a document that
//   ends without a line break may gain a CRLF.

#include "fuzz/FuzzCheck.h"
#include "storage/PrivateProfile.h"

#include <QList>
#include <fuzzer/FuzzedDataProvider.h>

using storage::PrivateProfile;

namespace {

QList<QByteArray> lines(const QByteArray& text) {
    QList<QByteArray> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            result.append(text.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        result.append(text.mid(start));
    return result;
}

bool endsWithBreak(const QByteArray& text) {
    return text.endsWith('\n') || text.endsWith('\r');
}

QByteArray trimmedBlanks(QByteArray text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\v';
    };
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    qsizetype start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    return text.mid(start);
}

// What a written line must look like: a key that reads as the given one, "=", the value as given,
// CRLF. The key keeps the spelling found in the file, so only its reading is compared.
bool isWrittenLine(const QByteArray& line, const QByteArray& key, const QByteArray& value) {
    const QByteArray tail = '=' + value + "\r\n";
    if (!line.endsWith(tail))
        return false;
    const QByteArray spelling = line.first(line.size() - tail.size());
    PrivateProfile probe("[s]\r\n" + line);
    return !spelling.contains('=') && probe.value("s", key) == trimmedBlanks(value);
}

void checkUntouchedLines(const QByteArray& before, const QByteArray& after,
                         const QByteArray& section, const QByteArray& key,
                         const QByteArray& value) {
    const QList<QByteArray> in = lines(before);
    const QList<QByteArray> out = lines(after);
    const bool lastLacksBreak = !before.isEmpty() && !endsWithBreak(before);
    const auto same = [&](qsizetype i, qsizetype j) {
        return in[i] == out[j] ||
               (lastLacksBreak && i == in.size() - 1 && in[i] + "\r\n" == out[j]);
    };
    qsizetype prefix = 0;
    while (prefix < in.size() && prefix < out.size() && same(prefix, prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < in.size() - prefix && suffix < out.size() - prefix &&
           same(in.size() - 1 - suffix, out.size() - 1 - suffix))
        ++suffix;
    const qsizetype removed = in.size() - prefix - suffix;
    const QList<QByteArray> added = out.mid(prefix, out.size() - prefix - suffix);

    FUZZ_CHECK(removed <= 1);
    if (added.isEmpty()) {
        // The key line already said exactly this.
        FUZZ_CHECK(removed == 0);
    } else if (added.size() == 1) {
        FUZZ_CHECK(isWrittenLine(added[0], key, value));
    } else {
        // A new section goes at the very end.
        FUZZ_CHECK(added.size() == 2 && removed == 0 && suffix == 0);
        FUZZ_CHECK(added[0] == '[' + trimmedBlanks(section) + "]\r\n");
        FUZZ_CHECK(isWrittenLine(added[1], key, value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(300);
    const std::string otherSection = input.ConsumeRandomLengthString(24);
    const std::string otherKey = input.ConsumeRandomLengthString(24);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray document(rest.data(), qsizetype(rest.size()));

    const PrivateProfile parsed(document);
    FUZZ_CHECK(parsed.bytes() == document);
    const QByteArray otherBefore = parsed.value(otherSection, otherKey);
    FUZZ_CHECK(storage::cutValue(otherBefore, 254).size() <= 254);

    PrivateProfile changed = parsed;
    if (!changed.setValue(section, key, value)) {
        FUZZ_CHECK(changed.bytes() == document);
        return 0;
    }
    const QByteArray written = changed.bytes();
    const PrivateProfile reread(written);
    FUZZ_CHECK(reread.bytes() == written);
    FUZZ_CHECK(changed.value(section, key) == trimmedBlanks(QByteArray::fromStdString(value)));
    FUZZ_CHECK(reread.value(section, key) == trimmedBlanks(QByteArray::fromStdString(value)));

    // Another name reads as before unless it names the same key (the names fold alike).
    PrivateProfile sameNames;
    sameNames.setValue(section, key, "1");
    const bool sameKey = sameNames.value(otherSection, otherKey) == "1";
    if (!sameKey)
        FUZZ_CHECK(reread.value(otherSection, otherKey) == otherBefore);

    checkUntouchedLines(document, written, QByteArray::fromStdString(section),
                        QByteArray::fromStdString(key), QByteArray::fromStdString(value));
    return 0;
}
