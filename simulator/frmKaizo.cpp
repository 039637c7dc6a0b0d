#include "simulator/frmKaizo.h"

#include "catalogue/CatalogueAccess.h"
#include "simulator/Clipboard.h"
#include "simulator/FigureTexts.h"
#include "simulator/KaizoPanels.h"
#include "simulator/PlanStore.h"
#include "simulator/PlanString.h"
#include "simulator/frmPlanSearch.h"
#include "simulator/frmSaveDialog.h"
#include "storage/NumberText.h"
#include "ui/Controls.h"
#include "ui/MessageBox.h"
#include "ui/Messages.h"
#include "ui/ReportList.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString modificationCell(const Modification& m, int column) {
    switch (column) {
    case 0:
        return m.name;
    case 1:
        return m.exp;
    case 2:
        return numberText::formatThousands(m.cost);
    case 3:
        return m.description;
    default:
        return {};
    }
}

} // namespace

frmKaizo::Dialogs frmKaizo::realDialogs() {
    return {&frmBukiSpec::intFormStartChange, &frmProfile::intFormStartChange};
}

frmKaizo::frmKaizo(QWidget* owner, const storage::Stores& stores, CatalogueAccess& catalogue,
                   Dialogs dialogs)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint)
    , m_stores(stores)
    , m_catalogue(catalogue)
    , m_dialogs(std::move(dialogs))
    , m_sim(stores.database)
    , m_kaizoModel(new ValueListModel<Modification>({{u"改造名"_s, 1800, Qt::AlignLeft},
                                                     {u"熟練"_s, 700, Qt::AlignHCenter},
                                                     {u"費用"_s, 700, Qt::AlignHCenter},
                                                     {u"性能"_s, 6800, Qt::AlignLeft}},
                                                    modificationCell, this))
    , Frame2(new PlanPanel(this))
    , lvwKaizo(new ReportList(this))
    , fraBukiSpac(new WeaponPanel(this))
    , fraSta(new StatusPanel(this))
    , Frame1(new ControlPanel(this)) {
    setObjectName(u"frmKaizo"_s);
    lvwKaizo->setObjectName(u"lvwKaizo"_s);
    lvwKaizo->setMinimumWidth(twipsToPixels(10000) + 24);
    lvwKaizo->setListModel(m_kaizoModel);

    auto* top = new QVBoxLayout(this);
    top->addWidget(Frame2);
    top->addWidget(lvwKaizo, 1);
    top->addWidget(Frame1);
    auto* figures = new QHBoxLayout;
    figures->addWidget(fraBukiSpac);
    figures->addWidget(fraSta, 1);
    top->addLayout(figures);
    top->setSizeConstraint(QLayout::SetFixedSize);
    connectCommands();
    connectList();
    // Key preview: the window sees every key of its controls first.
    qApp->installEventFilter(this);
}

frmKaizo::~frmKaizo() {
    qApp->removeEventFilter(this);
}

void frmKaizo::connectCommands() {
    connect(Frame1->cmdKaizo, &QPushButton::clicked, this, &frmKaizo::cmdKaizoClick);
    connect(Frame1->cmdBack, &QPushButton::clicked, this, &frmKaizo::cmdBackClick);
    connect(Frame1->cmdReset, &QPushButton::clicked, this, &frmKaizo::cmdResetClick);
    connect(Frame1->cmdBukiSpec, &QPushButton::clicked, this, &frmKaizo::cmdBukiSpecClick);
    connect(Frame1->cmdMod, &QPushButton::clicked, this, &frmKaizo::cmdModClick);
    connect(Frame1->cmdEnd, &QPushButton::clicked, this, &QDialog::close);
    connect(Frame1->cmdSave, &QPushButton::clicked, this, &frmKaizo::cmdSaveClick);
    connect(Frame1->cmdLoad, &QPushButton::clicked, this, &frmKaizo::cmdLoadClick);
    connect(Frame1->cmdClipKaizo, &QPushButton::clicked, this,
            [this] { clipboard::cmdClipKaizo(this, shownFigures()); });
    connect(Frame1->cmdBukiClip, &QPushButton::clicked, this,
            [this] { clipboard::cmdBukiClip(this, shownFigures(), mintShift); });
    connect(Frame2->listButton(), &QPushButton::clicked, this,
            [this] { clipboard::cmdList(this, m_stores.database, m_sim.weapon().seq); });
    connect(Frame2->searchButton(), &QPushButton::clicked, this, &frmKaizo::cmdSearchClick);
}

void frmKaizo::connectList() {
    connect(lvwKaizo, &ReportList::buttonPressed, this,
            [this](Qt::MouseButton button, const QPoint& pos, bool onRow) {
                using B = ListGesture::Button;
                m_gesture.press(button == Qt::LeftButton    ? B::Left
                                : button == Qt::RightButton ? B::Right
                                                            : B::Other,
                                pos.x(), onRow);
            });
    connect(lvwKaizo, &ReportList::pointerMoved, this,
            [this](const QPoint& pos, Qt::MouseButtons held) {
                m_gesture.move(pos.x(), held == Qt::RightButton);
            });
    connect(lvwKaizo, &ReportList::buttonReleased, this, [this] { listReleased(); });
    connect(lvwKaizo, &ReportList::listDoubleClicked, this, [this] {
        if (m_gesture.doubleClickApplies())
            cmdKaizoClick();
    });
}

qint16 frmKaizo::intFormStart(QWidget* owner, const storage::Stores& stores,
                              CatalogueAccess& catalogue) {
    frmKaizo window(owner, stores, catalogue);
    return window.intFormStart();
}

qint16 frmKaizo::intFormStart() {
    if (prepare())
        exec();
    m_catalogue.showWorkingCopy(std::nullopt);
    return 0;
}

bool frmKaizo::prepare() {
    lvwKaizo->setToolTip(u"ダブルクリックで選択できます。"_s);
    const std::optional<Weapon> weapon = m_catalogue.selectedWeapon();
    const std::optional<Profile> profile = m_catalogue.profileInUse();
    const bool started = weapon && m_sim.start({weapon->seq, weapon->name}, profile,
                                               m_catalogue.bonusChoice()) == Simulation::Status::Ok;
    fraSta->setVisible(profile.has_value());
    Frame1->cmdMod->setEnabled(profile.has_value());
    if (started && m_sim.status()) {
        m_catalogue.showWorkingCopy(m_sim.workingProfile());
        fraSta->showStatus(*m_sim.status());
    }
    fraBukiSpac->showChange(m_sim.change());
    showSteps(0);
    if (!started || !redraw(0)) {
        ui::msgBox(parentWidget(), messages::SimulatorStartFailed, ui::Buttons::Ok,
                   ui::Icon::Critical);
        return false;
    }
    setWindowTitle(u"武器改造 - "_s + m_sim.weapon().name);
    return true;
}

// The slots, the frame caption and the buttons that depend on the step count.
void frmKaizo::showSteps(qint16 kaisu) {
    fraBukiSpac->setTitle(ui::plainCaption(m_sim.frameCaption(kaisu)));
    Frame2->showSlots(m_sim.stepSlots());
    Frame1->cmdBukiSpec->setEnabled(true);
    for (QPushButton* b : {Frame1->cmdBack, Frame1->cmdReset, Frame1->cmdClipKaizo,
                           Frame1->cmdBukiClip, Frame1->cmdSave})
        b->setEnabled(kaisu > 0);
}

bool frmKaizo::redraw(qint16 kaisu) {
    m_shown = m_sim.figures(kaisu);
    std::optional<std::vector<Modification>> offered =
        m_shown ? m_sim.offered(kaisu) : std::nullopt;
    if (!offered) {
        // Figures of the previous step must not pass for those of this one, nor may the list
        // offer what the previous step offered: blank until the next redraw that works. Reset
        // stays at hand to rebuild step 0 and draw it all again.
        m_shown.reset();
        Frame2->clearTotals();
        fraBukiSpac->clearFigures();
        fraSta->clearCombat();
        m_kaizoModel->assign({});
        Frame1->cmdKaizo->setEnabled(false);
        Frame1->cmdReset->setEnabled(true);
        lvwKaizo->setGreyed(true);
        return false;
    }
    Frame2->showTotals(*m_shown);
    fraBukiSpac->show(m_shown->weapon);
    fraSta->showCombat(m_shown->combat);
    const bool anyOffered = !offered->empty();
    m_kaizoModel->assign(std::move(*offered));
    Frame1->cmdKaizo->setEnabled(anyOffered);
    lvwKaizo->setGreyed(!anyOffered);
    if (anyOffered)
        lvwKaizo->setEnabled(true);
    return true;
}

// Draws the outcome of a command that changed the steps; false when it failed. A failed command
// changed nothing, so the window already shows the simulation as it stands.
bool frmKaizo::after(const Simulation::Result& result) {
    if (!result.ok())
        return false;
    showSteps(result.kaisu);
    fraBukiSpac->showChange(m_sim.change());
    return redraw(result.kaisu);
}

void frmKaizo::reportDatabaseFailure() {
    ui::msgBox(this, messages::DatabaseFailed, ui::Buttons::Ok, ui::Icon::Critical);
}

void frmKaizo::cmdKaizoClick() {
    if (m_kaizoModel->count() == 0) {
        ui::msgBox(this, messages::NoModifications);
        return;
    }
    const int row = lvwKaizo->selectedCurrentRow();
    if (row < 0) {
        ui::msgBox(this, messages::NotSelected);
        return;
    }
    const Simulation::Result result = m_sim.apply(m_kaizoModel->row(row));
    if (result.status == Simulation::Status::SlotsFull)
        ui::msgBox(this, messages::StepsFull, ui::Buttons::Ok, ui::Icon::Exclamation);
    else if (!after(result))
        reportDatabaseFailure();
}

void frmKaizo::cmdBackClick() {
    const Simulation::Result result = m_sim.undo();
    if (result.status == Simulation::Status::AtStepZero)
        ui::msgBox(this, messages::CannotUndo);
    else if (!after(result))
        reportDatabaseFailure();
}

void frmKaizo::cmdResetClick() {
    if (!after(m_sim.reset()))
        reportDatabaseFailure();
}

void frmKaizo::cmdBukiSpecClick() {
    const frmBukiSpec::Outcome outcome =
        m_dialogs.bukiSpec(this, m_stores.database, m_sim.change().seq);
    using Kind = frmBukiSpec::Outcome::Kind;
    if (outcome.kind == Kind::Cancelled)
        return;
    // A master without any change to offer replays the plan on the change in force.
    const qint32 seq = outcome.kind == Kind::Chosen ? outcome.seq : m_sim.change().seq;
    if (outcome.kind == Kind::Failed || !after(m_sim.replayOn(seq, m_sim.plan())))
        ui::msgBox(this, messages::DialogFailed, ui::Buttons::Ok, ui::Icon::Critical);
}

void frmKaizo::cmdModClick() {
    frmProfile::StatusInput input{*m_sim.workingProfile(), m_sim.rankInUse(), m_sim.melee(),
                                  m_catalogue.bonusSetNames(), m_catalogue.bonusSetRowInUse()};
    const std::optional<frmProfile::StatusChoice> choice =
        m_dialogs.status(this, m_stores.database, input);
    if (choice) {
        input.working = choice->working;
        input.rankInUse = choice->rankInUse;
        if (choice->bonusSetRow >= 0)
            m_catalogue.selectBonusSet(choice->bonusSetRow);
    }
    // Cancelled too, the bonus row and the combat figures of the current step are rebuilt.
    const bool recomputed = m_sim.setStatus(input.working, input.rankInUse,
                                            m_catalogue.bonusChoice()) == Simulation::Status::Ok;
    const std::optional<qint16> kaisu = m_sim.stepCount();
    const std::optional<Figures> figures = kaisu ? m_sim.figures(*kaisu) : std::nullopt;
    m_catalogue.showWorkingCopy(m_sim.workingProfile());
    fraSta->showStatus(*m_sim.status());
    if (!recomputed || !figures) {
        ui::msgBox(this, messages::StatusNotRecomputed, ui::Buttons::Ok, ui::Icon::Critical);
        return;
    }
    fraSta->showCombat(figures->combat);
    m_shown = figures;
}

void frmKaizo::cmdSaveClick() {
    if (m_sim.stepSlots()[0].name.isEmpty())
        return;
    const ShownFigures shown = shownFigures();
    frmSaveDialog::intFormStartSave(this, m_stores.settings, m_sim.weapon().seq,
                                    planStore::record(m_sim.change().seq, m_sim.plan()),
                                    planStore::specText(shown), planStore::jukurenText(shown));
}

void frmKaizo::cmdLoadClick() {
    const std::optional<QString> data =
        frmSaveDialog::intFormStartLoad(this, m_stores.settings, m_sim.weapon().seq);
    if (!data)
        return;
    const planStore::ParsedRecord record = planStore::parseRecord(*data);
    if (record.status == planStore::ParsedRecord::Broken)
        ui::msgBox(this, messages::PlanBroken, ui::Buttons::Ok, ui::Icon::Exclamation);
    else if (record.status == planStore::ParsedRecord::Ok &&
             !after(m_sim.replayOn(record.changeSeq, record.plan)))
        reportDatabaseFailure();
}

void frmKaizo::cmdSearchClick() {
    const std::optional<std::vector<qint32>> steps =
        frmPlanSearch::intFormStart(this, m_stores.database, planSearch::sourceOf(m_sim));
    if (!steps)
        return;
    QString plan;
    for (qint32 seq : *steps)
        plan = planString::appended(plan, seq);
    // Replayed like a loaded plan, on the performance change in force.
    if (!after(m_sim.replayOn(m_sim.change().seq, plan)))
        reportDatabaseFailure();
}

ShownFigures frmKaizo::shownFigures() const {
    return m_shown ? figureTexts::shown(m_sim, *m_shown) : ShownFigures{};
}

bool frmKaizo::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (type == QEvent::KeyRelease) {
        mintShift = 0;
        return false;
    }
    const Qt::KeyboardModifiers held = static_cast<QKeyEvent*>(event)->modifiers();
    mintShift = static_cast<qint16>((held & Qt::ShiftModifier ? 1 : 0) +
                                    (held & Qt::ControlModifier ? 2 : 0) +
                                    (held & Qt::AltModifier ? 4 : 0));
    // With Alt held the letter belongs to a button's access key, not to the list.
    if (watched != lvwKaizo || (held & Qt::AltModifier))
        return false;
    return handleListKey(static_cast<QKeyEvent*>(event)->key());
}

bool frmKaizo::handleListKey(int key) {
    const std::pair<int, QPushButton*> table[] = {
        {Qt::Key_W, Frame1->cmdBukiSpec},    {Qt::Key_S, Frame1->cmdMod},
        {Qt::Key_P, Frame2->searchButton()}, {Qt::Key_Backspace, Frame1->cmdReset},
        {Qt::Key_Right, Frame1->cmdKaizo},   {Qt::Key_Left, Frame1->cmdBack}};
    for (const auto& [code, command] : table) {
        if (code == key) {
            command->click(); // does nothing while the button is disabled
            return true;
        }
    }
    return false;
}

void frmKaizo::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button: Esc does not close it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmKaizo::listReleased() {
    switch (m_gesture.release()) {
    case ListGesture::Action::Undo:
        Frame1->cmdBack->click(); // only while the button is enabled
        break;
    case ListGesture::Action::Reset:
        Frame1->cmdReset->click();
        break;
    case ListGesture::Action::None:
        break;
    }
}
