// zelnoa-import SOURCE TARGET: copies every user table of an Access file into a new SQLite file.
//
// The program runs this as a child process when its master database is an Access file, so that
// a reader crash on a damaged file ends only this process. It can also be run by hand. TARGET
// must be missing or empty; on failure it is removed again and the exit code is 1. The program
// itself builds into a temporary file and renames it, so its working copy is never half written.

#include "tools/import/MdbReader.h"
#include "tools/import/SqliteWriter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

bool convert(const std::string& source, const std::string& target, std::string& error) {
    zelnoaimport::SqliteWriter writer;
    if (!writer.open(target)) {
        error = writer.lastError();
        return false;
    }
    if (!zelnoaimport::convertAccessFile(source, writer, error))
        return false;
    if (!writer.commit()) {
        error = writer.lastError();
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("使い方: zelnoa-import 元の Access ファイル 書き出す SQLite ファイル\n", stderr);
        return 2;
    }
    const std::string source = argv[1];
    const std::string target = argv[2];
    std::error_code failed;
    if (std::filesystem::exists(target, failed) &&
        std::filesystem::file_size(target, failed) != 0) {
        std::fprintf(stderr, "%s はもうあります\n", target.c_str());
        return 1;
    }
    // Jet 3 keeps text in the code page of the system that wrote it, which for the users of
    // this program is Japanese Windows; a value given from outside wins. Jet 4 text is Unicode.
    setenv("MDB_JET3_CHARSET", "CP932", 0);
    setenv("MDBICONV", "UTF-8", 1);

    std::string error;
    if (!convert(source, target, error)) {
        std::filesystem::remove(target, failed);
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
