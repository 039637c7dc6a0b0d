// The plan record parser and the saved plans of a weapon, on any input. A record that parses
// rebuilds to one that parses alike; the plans read from any settings file write back and read
// again unchanged (when their texts survive Shift_JIS), a refused write leaves the file as it
// was, and a file saved as UTF-8 is kept as it was beside the one written back.

#include "fuzz/FuzzCheck.h"
#include "simulator/PlanStore.h"
#include "storage/Cp932.h"
#include "storage/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void checkRecord(const QString& data) {
    const planStore::ParsedRecord parsed = planStore::parseRecord(data);
    if (!data.contains(u' ')) {
        FUZZ_CHECK(parsed.status == planStore::ParsedRecord::NoSpace);
        return;
    }
    if (parsed.status != planStore::ParsedRecord::Ok)
        return;
    FUZZ_CHECK(data.endsWith(parsed.plan));
    const planStore::ParsedRecord again =
        planStore::parseRecord(planStore::record(parsed.changeSeq, parsed.plan));
    FUZZ_CHECK(again.status == planStore::ParsedRecord::Ok);
    FUZZ_CHECK(again.changeSeq == parsed.changeSeq && again.plan == parsed.plan);
}

bool encodable(const planStore::Plan& plan) {
    return storage::cp932CanEncode(plan.name) && storage::cp932CanEncode(plan.spec) &&
           storage::cp932CanEncode(plan.date) && storage::cp932CanEncode(plan.data);
}

bool samePlans(const std::vector<planStore::Plan>& a, const std::vector<planStore::Plan>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].spec != b[i].spec || a[i].date != b[i].date ||
            a[i].data != b[i].data)
            return false;
    return true;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const auto bukiSeq = input.ConsumeIntegral<qint16>();
    const std::string record = input.ConsumeRandomLengthString(200);
    const std::string document = input.ConsumeRemainingBytesAsString();
    checkRecord(QString::fromUtf8(record.data(), qsizetype(record.size())));

    static QTemporaryDir dir;
    // Rescue copies of failed saves stay in the folder, and the backup of the previous input goes.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
    const QString path = dir.filePath(QStringLiteral("zelnoa.ini"));
    const QString backup = path + QStringLiteral(".utf8-backup");
    QFile::remove(backup);
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(document.data(), qint64(document.size()));
    }
    storage::SettingsFile settings(path);

    const std::vector<planStore::Plan> plans = planStore::read(settings, bukiSeq);
    bool allEncodable = true;
    for (const planStore::Plan& plan : plans) {
        checkRecord(plan.data);
        allEncodable = allEncodable && encodable(plan);
    }
    const QByteArray before = fileBytes(path);
    if (!planStore::write(settings, bukiSeq, plans).saved) {
        FUZZ_CHECK(fileBytes(path) == before);
    } else {
        FUZZ_CHECK(!before.startsWith("\xEF\xBB\xBF") || fileBytes(backup) == before);
        FUZZ_CHECK(!allEncodable || samePlans(planStore::read(settings, bukiSeq), plans));
    }
    return 0;
}
