#pragma once
// The frames of the simulator window: the command buttons, and the three that show figures, each
// drawing the values it is handed: the plan frame "改造内容" (totals and the five step slots), the
// weapon frame "武器性能" (the weapon's own figures and the performance change in force) and the
// status frame "ステータス" (the character, the bonus marks and the combat figures). Every text
// they show is plain text, whatever a master or user name holds.

#include "simulator/Figures.h"

#include <QGroupBox>
#include <array>

class QGridLayout;
class QLabel;
class QPushButton;

class PlanPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit PlanPanel(QWidget* parent);

    QPushButton* listButton() const { return m_cmdList; }
    QPushButton* searchButton() const { return m_cmdSearch; }
    void showSlots(const std::array<StepSlot, 5>& steps);
    void showTotals(const Figures& figures);
    void clearTotals();

private:
    QLabel* m_lblJukuren;
    QLabel* m_lblCost;
    std::array<QLabel*, 5> m_lblKaizo{};
    std::array<QLabel*, 5> m_lblKaizoNaiyo{};
    QPushButton* m_cmdList;
    QPushButton* m_cmdSearch;
};

class WeaponPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit WeaponPanel(QWidget* parent);

    void show(const workTable::StepFigures& weapon);
    void showChange(const ChangeInForce& change);
    void clearFigures();

private:
    std::array<QLabel*, 6> m_lblSpec{};
    QLabel* m_lblBalanceTassei;
    QLabel* m_lblBukiSpecChange;
};

// The frame "コントロールパネル": the ten command buttons, in two rows.
class ControlPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit ControlPanel(QWidget* parent);

    QPushButton* cmdKaizo;
    QPushButton* cmdBack;
    QPushButton* cmdReset;
    QPushButton* cmdBukiSpec;
    QPushButton* cmdMod;
    QPushButton* cmdLoad;
    QPushButton* cmdSave;
    QPushButton* cmdBukiClip;
    QPushButton* cmdClipKaizo;
    QPushButton* cmdEnd;
};

class StatusPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent);

    void showStatus(const StatusFigures& status);
    void showCombat(const combatCalc::Combat& combat);
    void clearCombat();

private:
    void addStatRows(QGridLayout* grid);
    void addCombatRows(QGridLayout* grid);

    std::array<QLabel*, 5> m_lblStat{};
    std::array<QLabel*, 5> m_lblEnchantStat{};
    QLabel* m_lblCombatType;
    QLabel* m_lblAttack;
    std::array<QLabel*, 4> m_lblCombat{};
    std::array<QLabel*, 4> m_lblEnchant{};
    QLabel* m_lblStaSaihin;
    QLabel* m_lblSelEnchant;
};
