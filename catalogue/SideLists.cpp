#include "catalogue/SideLists.h"

#include "storage/NumberText.h"
#include "storage/SettingsKeys.h"
#include "storage/modCommon.h"

namespace sideLists {
namespace {

struct KeyCell {
    QString key;
    int position;
};

// Settings keys of a bonus set section with the row position each one fills, in writing order.
const std::vector<KeyCell>& enchantKeyCells() {
    static const std::vector<KeyCell> cells = [] {
        const int positions[] = {0, 5, 6, 7, 8, 3, 4, 9, 10, 11, 12, 13};
        std::vector<KeyCell> result;
        for (qsizetype i = 0; i < settingsKeys::EnchantKeys.size(); ++i)
            result.push_back({settingsKeys::EnchantKeys.at(i), positions[i]});
        return result;
    }();
    return cells;
}

constexpr int EnchantColumnCount = 16;
const QString Tilde = QStringLiteral("～");

std::vector<ColumnSpec> columns(std::initializer_list<std::pair<QString, int>> captions) {
    std::vector<ColumnSpec> result;
    for (const auto& [caption, twips] : captions)
        result.push_back({caption, twips, result.empty() ? Qt::AlignLeft : Qt::AlignHCenter});
    return result;
}

qint16 readCount(const QString& key) {
    return numberText::readCount(modCommon::strGetIni(settingsKeys::System, key));
}

ListRow readProfile(int n) {
    const QString section = settingsKeys::ProfilePrefix + QString::number(n);
    ListRow row;
    for (qsizetype i = 0; i < settingsKeys::ProfileKeys.size(); ++i)
        row.setCell(static_cast<int>(i),
                    modCommon::strGetIni(section, settingsKeys::ProfileKeys.at(i)));
    return row;
}

ListRow readEnchant(int n) {
    const QString section = settingsKeys::EnchantPrefix + QString::number(n);
    ListRow row;
    row.subItems.resize(EnchantColumnCount - 1);
    for (const KeyCell& cell : enchantKeyCells())
        row.setCell(cell.position, modCommon::strGetIni(section, cell.key));
    row.setCell(1, row.cell(5) + Tilde + row.cell(6));
    row.setCell(2, row.cell(7) + Tilde + row.cell(8));
    row.setCell(14, modCommon::strGetIni(section, settingsKeys::EnchantAttack));
    row.setCell(15, modCommon::strGetIni(section, settingsKeys::EnchantRange));
    return row;
}

// The rows a list saves, numbered from 1 in list order.
std::vector<const ListRow*> savedRows(const RowListModel& list) {
    std::vector<const ListRow*> saved;
    for (const ListRow& row : list.rows()) {
        if (row.key != FixedEnchantKey && row.key != WorkingCopyKey)
            saved.push_back(&row);
    }
    return saved;
}

} // namespace

std::vector<ColumnSpec> profileColumns() {
    return columns({{QStringLiteral("名前"), 1800},
                    {QStringLiteral("Str"), 600},
                    {QStringLiteral("Int"), 600},
                    {QStringLiteral("Dex"), 600},
                    {QStringLiteral("Will"), 600},
                    {QStringLiteral("Luck"), 600},
                    {QStringLiteral("アタック"), 800},
                    {QStringLiteral("レンジ"), 800}});
}

std::vector<ColumnSpec> enchantColumns() {
    return columns({{QStringLiteral("名前"), 1800},
                    {QStringLiteral("ダメージ"), 900},
                    {QStringLiteral("負傷率"), 900},
                    {QStringLiteral("クリティカル"), 1100},
                    {QStringLiteral("バランス"), 900},
                    {QStringLiteral("最小ダメージ"), 0},
                    {QStringLiteral("最大ダメージ"), 0},
                    {QStringLiteral("最小負傷率"), 0},
                    {QStringLiteral("最大負傷率"), 0},
                    {QStringLiteral("Str"), 600},
                    {QStringLiteral("Int"), 600},
                    {QStringLiteral("Dex"), 600},
                    {QStringLiteral("Will"), 600},
                    {QStringLiteral("Luck"), 600},
                    {QStringLiteral("アタック"), 800},
                    {QStringLiteral("レンジ"), 800}});
}

ListRow fixedEnchantRow() {
    ListRow row;
    row.text = FixedEnchantText;
    row.key = FixedEnchantKey;
    row.colour = RowColour::DarkGrey;
    const QString zeroRange = QStringLiteral("0") + Tilde + QStringLiteral("0");
    row.subItems = {zeroRange, zeroRange};
    for (int position = 3; position <= 8; ++position)
        row.subItems.append(QStringLiteral("0"));
    row.subItems.resize(EnchantColumnCount - 1);
    return row;
}

void setProfileList(RowListModel& profiles, RowListModel& enchants) {
    std::vector<ListRow> rows;
    const int profileCount = readCount(settingsKeys::ProfileCount);
    rows.reserve(static_cast<std::size_t>(profileCount));
    for (int n = 1; n <= profileCount; ++n)
        rows.push_back(readProfile(n));
    profiles.assign(std::move(rows));

    rows.clear();
    const int enchantCount = readCount(settingsKeys::EnchantCount);
    rows.reserve(static_cast<std::size_t>(enchantCount) + 1);
    rows.push_back(fixedEnchantRow());
    for (int n = 1; n <= enchantCount; ++n)
        rows.push_back(readEnchant(n));
    enchants.assign(std::move(rows));
}

storage::SaveOutcome saveLists(const RowListModel& profiles, bool profilesChanged,
                               const RowListModel& enchants, bool enchantsChanged) {
    if (!profilesChanged && !enchantsChanged)
        return {};
    modCommon::IniBatch batch;
    if (profilesChanged) {
        const std::vector<const ListRow*> saved = savedRows(profiles);
        modCommon::setIni(settingsKeys::System, settingsKeys::ProfileCount,
                          QString::number(saved.size()));
        for (std::size_t n = 0; n < saved.size(); ++n) {
            const QString section = settingsKeys::ProfilePrefix + QString::number(n + 1);
            for (qsizetype i = 0; i < settingsKeys::ProfileKeys.size(); ++i)
                modCommon::setIni(section, settingsKeys::ProfileKeys.at(i),
                                  saved[n]->cell(static_cast<int>(i)));
        }
    }
    if (enchantsChanged) {
        const std::vector<const ListRow*> saved = savedRows(enchants);
        modCommon::setIni(settingsKeys::System, settingsKeys::EnchantCount,
                          QString::number(saved.size()));
        for (std::size_t n = 0; n < saved.size(); ++n) {
            const QString section = settingsKeys::EnchantPrefix + QString::number(n + 1);
            for (const KeyCell& cell : enchantKeyCells())
                modCommon::setIni(section, cell.key, saved[n]->cell(cell.position));
        }
    }
    return batch.commit();
}

} // namespace sideLists
