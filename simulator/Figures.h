#pragma once
// What the simulator shows, as values: the window draws them, the clipboard exports and the plan
// save read them, so what is copied or saved always reads like the window.

#include "simulator/BonusCalc.h"
#include "simulator/CombatCalc.h"
#include "simulator/WorkTable.h"

#include <QString>
#include <QStringList>

// One applied step: the modification's name, its description in "( " … ")" and its SEQ.
struct StepSlot {
    QString name;
    QString naiyo;
    qint32 seq = 0;

    bool operator==(const StepSlot&) const = default;
};

// A modification offered at a step, as its list row shows it.
struct Modification {
    qint32 seq = 0;
    QString name;
    QString exp;
    qint64 cost = 0;
    QString description;
};

// The initial performance change in force. An unknown SEQ falls back to the ordinary one.
struct ChangeInForce {
    qint32 seq = 0;
    bool found = false;
    QString caption; // category + " : " + name
};

// The status frame: the character, what the bonus set adds and the rank the weapon's skill uses.
struct StatusFigures {
    QString name;
    bonusCalc::Totals stats;
    bonusCalc::Marks marks;
    QString combatType; // "アタック" or "レンジ"
    QString rank;
    QString bonusSetName;
};

// The figures of one step: the weapon's state and the combat figures with the bonus row.
struct Figures {
    qint16 step = 0;
    workTable::StepFigures weapon;
    combatCalc::Combat combat;
};

// The texts the window shows that the exports and the plan save use.
struct ShownFigures {
    QString jukuren;     // total proficiency, "-" at step 0
    QString cost;        // total cost, "###,###", "-" at step 0
    QString bukiName;    // the simulated weapon's name
    qint16 maxKaisu = 0; // the number of steps the weapon offers
    QStringList steps;   // the five step slots' names
    QString damage;      // min～max
    QString wounds;      // min～max
    QString critical;
    QString balance;
    QString range;
    QString taikyu;
    QString balanceTassei; // the Dex for 80% balance, in parentheses
    QString changeCaption; // the performance change in force
    qint32 changeSeq = 0;  // its SEQ
};
