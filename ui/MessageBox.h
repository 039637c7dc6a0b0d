#pragma once
// Message boxes in the program's one style: the title is always the application's ("ゼルノア"),
// wrong use gets OK and no icon, input errors the exclamation icon, failures the stop icon,
// questions Yes/No with the question icon. Every window shows its messages through msgBox(), so
// tests replace the handler and answer without a visible box.

#include <QString>

class QWidget;

namespace storage {
struct SaveOutcome;
}

namespace ui {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Exclamation, Critical, Question };
enum class Answer { Ok, Yes, No };

class MessageBoxHandler {
public:
    virtual ~MessageBoxHandler() = default;
    virtual Answer show(QWidget* parent, const QString& text, Buttons buttons, Icon icon) = 0;
};

Answer msgBox(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
              Icon icon = Icon::None);

// Nothing when the settings file was saved; otherwise the failure, naming the rescue copy that
// holds the changes when there is one.
void showSaveFailure(QWidget* parent, const storage::SaveOutcome& outcome);

// Installs a handler for every later msgBox() call; nullptr restores the real message boxes.
// The handler is not owned.
void setMessageBoxHandler(MessageBoxHandler* handler);

inline const QString& applicationTitle() {
    static const QString title = QStringLiteral("ゼルノア");
    return title;
}

} // namespace ui
