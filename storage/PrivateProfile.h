#pragma once
// The settings file as a private-profile document: "[section]" lines opening sections and
// "key=value" lines inside them, read and rewritten the way Windows' private-profile routines do,
// so that files written on Windows in Shift_JIS keep working.
//
// The document works on the file's raw bytes. Every line keeps its own bytes and line ending; a
// write changes exactly one line (or inserts one, or appends a section), so comments, blank lines,
// odd spacing and the ending of every other line survive byte for byte.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <vector>

namespace storage {

class PrivateProfile {
public:
    PrivateProfile() = default;
    explicit PrivateProfile(QByteArray bytes);

    // The value of the first matching key in the first matching section, blanks around it
    // removed, up to a NUL if it holds one; empty when either is missing. Names match ignoring
    // ASCII case.
    QByteArray value(QByteArrayView section, QByteArrayView key) const;

    // Replaces or adds one value. Refuses (false, document unchanged) names and values that
    // would break the file's structure: line breaks or NUL anywhere, a "]" in the section name,
    // an "=" in the key, an empty name.
    bool setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    QByteArray bytes() const;

private:
    // A section is kept as the bytes of its header line and of the lines after it, line endings
    // included. Both point into m_original, so loading a large file copies nothing and only the
    // sections that are read are ever scanned. The first look into a section splits its body into
    // lines and notes where its keys stand; from then on the lines hold the section, and reading
    // or writing one of thousands of keys costs no more than one of a few.
    struct Section {
        QByteArray header;
        QByteArray body;
        mutable bool indexed = false;
        mutable std::vector<QByteArray> lines;
        mutable QHash<QByteArray, qsizetype> keyLines; // folded key -> its first line
        mutable qsizetype afterLastKey = 0;            // the line after the last key line
        void index() const;
    };

    QByteArray m_original;
    QByteArray m_unreachable; // lines before the first section header
    std::vector<Section> m_sections;
    QHash<QByteArray, qsizetype> m_firstSection; // folded name -> first section of that name
};

// The value cut to at most maxBytes without leaving the lead byte of a double-byte character
// alone at its end.
QByteArray cutValue(const QByteArray& value, qsizetype maxBytes);

} // namespace storage
