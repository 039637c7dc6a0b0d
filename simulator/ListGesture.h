#pragma once
// The mouse rules of the modification list: which double click applies the selected step, and
// the right-button stroke that undoes (left) or resets (left, back right past the start, left
// again). The window feeds it the list's raw events and runs the command it answers with.

class ListGesture {
public:
    enum class Button { Left = 1, Right = 2, Other = 4 };
    enum class Action { None, Undo, Reset };

    // A stroke counts once it passes 100 twips (a device-independent pixel is 15 twips).
    static constexpr int ThresholdTwips = 100;

    // Positions are the list's, in device-independent pixels. Any button press starts the
    // stroke over.
    void press(Button button, int x, bool onRow);
    // Only moves with the right button held alone advance the stroke.
    void move(int x, bool rightButtonAlone);
    // Any button release ends the stroke and says what it asked for.
    Action release();
    // A double click after a left press on a row applies; any other does nothing.
    bool doubleClickApplies() const { return mblnKaizoHit && mintButton != Button::Right; }

    int state() const { return mintGesture; }

private:
    Button mintButton = Button::Left;
    int mintDownX = 0;
    int mintGesture = 0;
    bool mblnKaizoHit = false;
};
