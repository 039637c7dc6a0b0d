#include "ui/frmWait.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

frmWait::frmWait(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_label1(new QLabel(QStringLiteral("( ´ー｀)っ 旦 なうろぉでぃんぐ"), this)) {
    setObjectName(QStringLiteral("frmWait"));
    // No title text: Qt gives an empty title the application's name, a blank shows nothing.
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"), 12);
    font.setBold(true);
    m_label1->setFont(font);
    m_label1->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(m_label1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmWait::setBukiData(Job job) {
    m_intWaitMode = 0;
    m_job = std::move(job);
}

void frmWait::endApp(Job job) {
    m_intWaitMode = 2;
    m_job = std::move(job);
}

void frmWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // Run after the show has been handled, so the window is on screen before the job blocks it.
    QMetaObject::invokeMethod(this, &frmWait::runJob, Qt::QueuedConnection);
}

void frmWait::runJob() {
    // Let the window system expose the window and paint the label before the job holds the thread.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    if (m_job)
        m_job();
    hide();
}
