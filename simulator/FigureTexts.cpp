#include "simulator/FigureTexts.h"

#include "simulator/Simulation.h"
#include "storage/NumberText.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace figureTexts {

QString number(double value) {
    return numberText::numberText(value);
}

QString range(double low, double high) {
    return number(low) + u'～' + number(high);
}

QString balanceTassei(const workTable::StepFigures& weapon) {
    return u'(' + number((80 - weapon.balance) * 4 + 10) + u')';
}

QString jukuren(const Figures& figures) {
    return figures.step != 0 ? number(figures.weapon.exp) : u"-"_s;
}

QString cost(const Figures& figures) {
    return figures.step != 0 ? numberText::formatThousands(std::llround(figures.weapon.cost))
                             : u"-"_s;
}

ShownFigures shown(const Simulation& simulation, const Figures& figures) {
    const workTable::StepFigures& w = figures.weapon;
    ShownFigures shown;
    shown.jukuren = jukuren(figures);
    shown.cost = cost(figures);
    shown.bukiName = simulation.weapon().name;
    shown.maxKaisu = simulation.maxKaisu();
    for (const StepSlot& slot : simulation.stepSlots())
        shown.steps.append(slot.name);
    shown.damage = range(w.minDamage, w.maxDamage);
    shown.wounds = range(w.minWounds, w.maxWounds);
    shown.critical = number(w.critical);
    shown.balance = number(w.balance);
    shown.range = number(w.range);
    shown.taikyu = number(w.taikyu);
    shown.balanceTassei = balanceTassei(w);
    shown.changeCaption = simulation.change().found ? simulation.change().caption : QString();
    shown.changeSeq = simulation.change().seq;
    return shown;
}

} // namespace figureTexts
