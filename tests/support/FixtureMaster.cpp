#include "support/FixtureMaster.h"

#include "storage/Database.h"
#include "support/TestSupport.h"

#include <QFile>

namespace testsupport {

namespace {

const char kRows[] = R"(
INSERT INTO SHURUI_MASTER VALUES (1, '剣', 10, 1), (2, '弓', 20, 2);
INSERT INTO SKILL_MASTER VALUES (1, 'アタック', 1), (2, 'レンジ', 2);
INSERT INTO LANK_INDEX VALUES ('練習', 0), ('F', 1), ('1', 2);
INSERT INTO LANK_MASTER VALUES ('F', 2, 1, 2, 3), ('1', 1, 2, 3, 4);
INSERT INTO BUKI_MASTER (SEQ, BUKI_NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, MIN_WOUNDS, MAX_WOUNDS,
    CRITICAL, BLANCE, RANGE, TAIKYU) VALUES
    (1, 'ロングソード', 1, 10, 20, 5, 15, 10, 50, 0, 10),
    (2, '短剣', 1, 5, 8, 0, 10, 20, 60, 0, 8),
    (3, '飾り剣', 1, 1, 2, 0, 0, 0, 85, 0, 1),
    (4, '長弓', 2, 12, 24, 10, 20, 15, 45, 1500, 19),
    (9, '試験用の剣', 1, 10, 20, 10, 20, 10, 40, 0, 20);
INSERT INTO KAIZO_MASTER (SEQ, KAIZO_NAME, BUKI_SEQ, KAISU_S, KAISU_E, SORT_NO, MIN_DAMAGE,
    MAX_DAMAGE, MIN_WOUNDS, MAX_WOUNDS, CRITICAL, BLANCE, RANGE, TAIKYU, EXP, COST, ETC) VALUES
    (101, '攻撃強化', 1, 0, 5, 1, 0, 3, 0, 0, 0, 0, 0, -2, 10, 12500, NULL),
    (102, '耐久削り', 1, 0, 5, 2, 0, 0, 0, 0, 0, 0, 0, -20, 5, 0, ''),
    (103, '耐久補強', 1, 0, 5, 3, 0, 0, 0, 0, 0, 0, 0, 5, 5, 1000, '特殊効果'),
    (104, '見た目変更', 1, 0, 5, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '外見が変わる'),
    (105, 'バランス調整', 1, 1, 5, 5, 0, 0, 0, 0, 1, 5, 0, 0, 20, 3000, NULL),
    (201, '研ぎ', 2, 0, 4, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 100, NULL),
    (900, '写し', 9, 0, 9, 1, 10, 20, 10, 20, 10, 40, 0, 20, 0, 0, NULL),
    (902, '削り', 9, 0, 9, 2, -99, -99, -99, -99, -99, -99, -99, -99, -99, -99, NULL);
INSERT INTO CHANGE_SPEC_MASTER (SEQ, NAME, SHURUI, MIN_DAMAGE, MAX_DAMAGE, CRITICAL, BLANCE,
    TAIKYU, HYOUJI, SORT_NO) VALUES
    (23, '一般品', '一般', 0, 0, 0, 0, 0, 1, 1),
    (30, '名匠の作', '鍛冶', 2, 4, 3, -60, -50, 1, 2);
)";

} // namespace

QString writeFixtureMaster(const QString& path) {
    QFile::remove(path);
    QFile schema(QStringLiteral(ZELNOA_SCHEMA_SQL));
    if (!schema.open(QIODevice::ReadOnly))
        qFatal("cannot read the schema");
    sqlExec(path, schema.readAll().constData());
    sqlExec(path, kRows);
    return path;
}

void openFixtureMaster(storage::Connection& db, const QString& path) {
    db.close();
    if (!db.open(writeFixtureMaster(path)))
        qFatal("cannot open the fixture: %s", qPrintable(db.lastError()));
}

void changeFixtureMaster(storage::Connection& db, const QString& path, const char* sql) {
    db.close();
    sqlExec(path, sql);
    if (!db.open(path))
        qFatal("cannot reopen the fixture: %s", qPrintable(db.lastError()));
}

} // namespace testsupport
