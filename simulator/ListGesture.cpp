#include "simulator/ListGesture.h"

namespace {

int twips(int pixels) {
    return pixels * 15;
}

} // namespace

void ListGesture::press(Button button, int x, bool onRow) {
    mintButton = button;
    mintDownX = twips(x);
    mintGesture = 0;
    // A right press on empty space still counts as a hit; it never applies (see above).
    mblnKaizoHit = onRow ? button != Button::Other : button == Button::Right;
}

void ListGesture::move(int x, bool rightButtonAlone) {
    if (!rightButtonAlone)
        return;
    x = twips(x);
    if ((mintGesture == 0 || mintGesture == 2) && x < mintDownX - ThresholdTwips)
        ++mintGesture;
    else if (mintGesture == 1 && x > mintDownX)
        mintGesture = 2;
}

ListGesture::Action ListGesture::release() {
    const int state = mintGesture;
    mintGesture = 0;
    return state == 1 ? Action::Undo : state == 3 ? Action::Reset : Action::None;
}
