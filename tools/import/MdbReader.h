#pragma once
// The Access side of zelnoa-import: reads an Access (Jet 3, Jet 4 or ACE) file with libmdb and
// hands every user table, its columns, indexes and rows to the SqliteWriter.
//
// A damaged file must never give a silently shortened copy, yet libmdb reports many read errors
// only on stderr and simply stops early. So the reader checks what it got against what the file
// says it holds: the size is whole pages, the catalogue has as many entries as MSysObjects has
// rows, each table gives as many rows as its definition counts, and no memo or OLE value comes
// back shorter than its stored length.

#include <string>

namespace zelnoaimport {

class SqliteWriter;

// True when the file starts with the signature of an Access file ("Standard Jet DB" or
// "Standard ACE DB" at byte 4), whatever its name.
bool hasAccessSignature(const std::string& path);

// Converts every user table; system tables (MSys*) are left out. Text of Jet 3 files is read in
// the code page named by MDB_JET3_CHARSET, which must be set before the call. On failure returns
// false with a message in error; the writer must then not be committed.
bool convertAccessFile(const std::string& sourcePath, SqliteWriter& writer, std::string& error);

} // namespace zelnoaimport
