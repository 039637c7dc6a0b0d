#pragma once
// Figures as the simulator window writes them: plain decimal digits, ranges as min～max, the
// totals "-" before the first step. The window's captions, the clipboard exports and the saved
// plans all take their texts from here, so they always agree.

#include "simulator/Figures.h"

class Simulation;

namespace figureTexts {

QString number(double value);
QString range(double low, double high);
// The Dex at which the balance reaches 80 (4 Dex above 10 add 1 balance), in parentheses.
QString balanceTassei(const workTable::StepFigures& weapon);
QString jukuren(const Figures& figures);
QString cost(const Figures& figures);

ShownFigures shown(const Simulation& simulation, const Figures& figures);

} // namespace figureTexts
