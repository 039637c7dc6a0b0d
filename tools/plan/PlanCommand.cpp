#include "tools/plan/PlanCommand.h"

#include "catalogue/SideListStore.h"
#include "simulator/FigureTexts.h"
#include "simulator/PlanLoader.h"
#include "storage/AccessImport.h"
#include "storage/Database.h"
#include "storage/NumberText.h"
#include "storage/SettingsKeys.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;
using planSearch::Objective;

namespace planCommand {

namespace {

const std::pair<QString, Objective> kObjectives[] = {
    {u"mode"_s, Objective::Saihin},          {u"max-damage"_s, Objective::MaxDamage},
    {u"min-damage"_s, Objective::MinDamage}, {u"critical"_s, Objective::Critical},
    {u"balance"_s, Objective::Balance},      {u"max-wounds"_s, Objective::MaxWounds},
    {u"taikyu"_s, Objective::Taikyu}};

const QString kHeader = u"rank\tweapon\tweapon_name\tplan\tsteps\tvalue\tdamage\twounds\t"
                        u"critical\tbalance\ttaikyu\texp\tcost"_s;

constexpr qint64 kNumberMax = 99999999;

// A whole number written plainly, within the range; nothing otherwise.
std::optional<qint64> wholeNumber(const QString& text, qint64 lowest) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < lowest || value > kNumberMax)
        return std::nullopt;
    return value;
}

// Applies one option that takes a value; the problem when the value is not usable.
std::optional<QString> setOption(Options& options, const QString& name, const QString& value) {
    if (name == u"--master"_s || name == u"--settings"_s || name == u"--profile"_s ||
        name == u"--bonus"_s) {
        std::optional<QString>* const target = name == u"--master"_s     ? &options.master
                                               : name == u"--settings"_s ? &options.settings
                                               : name == u"--profile"_s  ? &options.profile
                                                                         : &options.bonus;
        *target = value;
        return std::nullopt;
    }
    if (name == u"--objective"_s) {
        for (const auto& [word, objective] : kObjectives) {
            if (word == value) {
                options.query.objective = objective;
                return std::nullopt;
            }
        }
        return u"目的 %1 はありません。"_s.arg(value);
    }
    const std::optional<qint64> number =
        wholeNumber(value, name == u"--top"_s || name == u"--weapon"_s ? 1 : 0);
    if (!number)
        return u"%1 には 0～99999999 の整数を指定してください: %2"_s.arg(name, value);
    if (name == u"--change"_s)
        options.change = qint32(*number);
    else if (name == u"--weapon"_s)
        options.weapon = qint32(*number);
    else if (name == u"--max-cost"_s)
        options.query.maxCost = double(*number);
    else if (name == u"--max-exp"_s)
        options.query.maxExp = double(*number);
    else if (name == u"--min-taikyu"_s)
        options.query.minTaikyu = double(*number);
    else if (name == u"--steps"_s)
        options.query.steps = qint16(std::min<qint64>(*number, 32767));
    else if (name == u"--top"_s)
        options.query.limit = int(*number);
    else
        return u"知らないオプションです: %1"_s.arg(name);
    return std::nullopt;
}

struct Row {
    const planSearch::Weapon* weapon;
    planSearch::RankedPlan plan;
};

QString stepNames(const Row& row) {
    QStringList names;
    for (qint32 seq : row.plan.steps) {
        const auto mod =
            std::find_if(row.weapon->mods.begin(), row.weapon->mods.end(),
                         [seq](const planSearch::Modification& m) { return m.seq == seq; });
        names.append(mod == row.weapon->mods.end() ? QString() : mod->name);
    }
    return names.join(u'→');
}

void writeRow(QTextStream& out, int rank, const Row& row) {
    using figureTexts::number;
    using figureTexts::range;
    const combatCalc::Combat& c = row.plan.figures.combat;
    const workTable::StepFigures& w = row.plan.figures.weapon;
    QString plan;
    for (qint32 seq : row.plan.steps)
        plan += QString::number(seq) + u'.';
    const QStringList cells = {QString::number(rank),
                               QString::number(row.weapon->seq),
                               row.weapon->name,
                               plan,
                               stepNames(row),
                               number(row.plan.value),
                               range(c.minDamage, c.maxDamage),
                               range(c.minWounds, c.maxWounds),
                               number(c.critical),
                               number(c.balance),
                               number(w.taikyu),
                               number(w.exp),
                               numberText::formatThousands(std::llround(w.cost))};
    out << cells.join(u'\t') << '\n';
}

// The best plan of every weapon, best first, as the search ranks plans; the catalogue's order
// among equals.
std::vector<Row> bestOfEach(const std::vector<planSearch::Weapon>& weapons,
                            const planSearch::Query& query) {
    planSearch::Query one = query;
    one.limit = 1;
    const std::vector<planSearch::Result> results = planSearch::searchEach(weapons, one);
    std::vector<Row> rows;
    for (std::size_t i = 0; i < weapons.size(); ++i) {
        if (!results[i].plans.empty())
            rows.push_back({&weapons[i], results[i].plans.front()});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        const auto& fa = a.plan.figures.weapon;
        const auto& fb = b.plan.figures.weapon;
        if (a.plan.value != b.plan.value)
            return a.plan.value > b.plan.value;
        if (fa.cost != fb.cost)
            return fa.cost < fb.cost;
        if (fa.exp != fb.exp)
            return fa.exp < fb.exp;
        return a.plan.steps.size() < b.plan.steps.size();
    });
    if (rows.size() > std::size_t(query.limit))
        rows.resize(std::size_t(query.limit));
    return rows;
}

template <class Value> const Value* byName(const std::vector<Value>& values, const QString& name) {
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&name](const Value& v) { return v.name == name; });
    return found == values.end() ? nullptr : &*found;
}

// The character of the named profile and bonus set; false (the reason in err) when a name is not
// in the settings file.
bool readCharacter(const Options& options, storage::SettingsFile& settings,
                   std::optional<planSearch::Character>& character, QTextStream& err) {
    if (!options.profile)
        return true;
    const std::vector<Profile> profiles = sideListStore::loadProfiles(settings);
    const Profile* profile = byName(profiles, *options.profile);
    if (!profile) {
        err << u"zelnoa-plan: %1 にプロファイル %2 がありません。\n"_s.arg(settings.path(),
                                                                           *options.profile);
        return false;
    }
    std::optional<BonusSet> set;
    if (options.bonus && *options.bonus != u"使用なし"_s) {
        const std::vector<BonusSet> sets = sideListStore::loadBonusSets(settings);
        const BonusSet* found = byName(sets, *options.bonus);
        if (!found) {
            err << u"zelnoa-plan: %1 にエンチャント＆タイトル補正 %2 がありません。\n"_s.arg(
                settings.path(), *options.bonus);
            return false;
        }
        set = *found;
    }
    character = planSearch::characterOf(*profile, profile->attack, profile->range, set);
    return true;
}

bool openMaster(const Options& options, const ProgramPaths& paths, storage::SettingsFile& settings,
                storage::Connection& db, QTextStream& err) {
    QString name = settings.value(settingsKeys::System, settingsKeys::Database).trimmed();
    if (name.isEmpty())
        name = settingsKeys::DefaultDatabase;
    const QString master = options.master.value_or(paths.databasePath(name));
    QString error;
    const std::optional<QString> file = storage::resolveMasterDatabase(master, paths, &error);
    if (file && db.open(*file))
        return true;
    err << u"zelnoa-plan: マスター %1 を開けません: %2\n"_s.arg(master,
                                                                file ? db.lastError() : error);
    return false;
}

} // namespace

std::variant<Options, QString> parse(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--help"_s || argument == u"-h"_s) {
            options.help = true;
            return options;
        }
        if (argument == u"--all-weapons"_s) {
            options.allWeapons = true;
            continue;
        }
        if (!argument.startsWith(u"--"_s) || i + 1 == arguments.size())
            return argument.startsWith(u"--"_s) ? u"%1 に値がありません。"_s.arg(argument)
                                                : u"知らない引数です: %1"_s.arg(argument);
        if (const std::optional<QString> problem = setOption(options, argument, arguments[++i]))
            return *problem;
    }
    if (options.allWeapons == options.weapon.has_value())
        return u"--weapon SEQ か --all-weapons のどちらか一方を指定してください。"_s;
    if (options.bonus && !options.profile)
        return u"--bonus には --profile も指定してください。"_s;
    return options;
}

QString usage() {
    return u"使い方: zelnoa-plan [--master FILE] [--settings FILE] [--profile NAME] "
           u"[--bonus NAME]\n"
           u"                   [--change SEQ] [--objective OBJECTIVE] [--max-cost N] "
           u"[--max-exp N]\n"
           u"                   [--min-taikyu N] [--steps N] [--top N] "
           u"(--weapon SEQ | --all-weapons)\n\n"
           u"武器の改造手順のうち、条件に合う最良のものをタブ区切りで出力します。\n\n"
           u"  --master FILE       マスターデータベース (既定: zelnoa が開くもの)\n"
           u"  --settings FILE     設定ファイル (既定: zelnoa が使うもの)\n"
           u"  --profile NAME      キャラクター情報の名前 (戦闘ステータスで評価)\n"
           u"  --bonus NAME        エンチャント＆タイトル補正の名前\n"
           u"  --change SEQ        初期性能変化 (既定: 23)\n"
           u"  --objective OBJECTIVE  mode, max-damage, min-damage, critical, balance,\n"
           u"                      max-wounds, taikyu のいずれか (既定: mode)\n"
           u"  --max-cost N        総費用の上限\n"
           u"  --max-exp N         総熟練の上限\n"
           u"  --min-taikyu N      耐久の下限\n"
           u"  --steps N           改造回数 (既定: 1 回から最大まで)\n"
           u"  --top N             出力する行数 (既定: 50)\n"
           u"  --weapon SEQ        この武器の最良の手順\n"
           u"  --all-weapons       表示される全武器それぞれの最良の手順 (良い順)\n\n"
           u"終了コード: 0 成功、1 ファイルがない・壊れている、2 引数の誤り\n"_s;
}

int run(const Options& options, const ProgramPaths& paths, QTextStream& out, QTextStream& err) {
    const QString settingsPath = options.settings.value_or(paths.settingsFile);
    if (options.settings && !QFileInfo(settingsPath).isFile()) {
        err << u"zelnoa-plan: 設定ファイル %1 がありません。\n"_s.arg(settingsPath);
        return 1;
    }
    storage::SettingsFile settings(settingsPath);
    std::optional<planSearch::Character> character;
    storage::Connection db;
    if (!readCharacter(options, settings, character, err) ||
        !openMaster(options, paths, settings, db, err))
        return 1;
    std::vector<planSearch::Weapon> weapons;
    if (options.weapon) {
        std::optional<planSearch::Weapon> weapon =
            planSearch::loadWeapon(db, *options.weapon, options.change, character);
        if (!weapon) {
            err << u"zelnoa-plan: 武器 %1 を読めません。\n"_s.arg(*options.weapon);
            return 1;
        }
        weapons.push_back(std::move(*weapon));
    } else if (auto shown = planSearch::loadShownWeapons(db, options.change, character)) {
        weapons = std::move(*shown);
    } else {
        err << u"zelnoa-plan: マスターの武器を読めません: %1\n"_s.arg(db.lastError());
        return 1;
    }
    std::vector<Row> rows;
    if (options.weapon) {
        for (planSearch::RankedPlan& plan : planSearch::search(weapons[0], options.query).plans)
            rows.push_back({&weapons[0], std::move(plan)});
    } else {
        rows = bestOfEach(weapons, options.query);
    }
    out << kHeader << '\n';
    for (std::size_t i = 0; i < rows.size(); ++i)
        writeRow(out, int(i) + 1, rows[i]);
    return 0;
}

} // namespace planCommand
