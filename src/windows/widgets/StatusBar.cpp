#include "windows/widgets/StatusBar.h"

#include <QLabel>
#include <QMouseEvent>

namespace windows
{

StatusBar::StatusBar(const std::vector<int>& panelWidths, QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    for (const int width : panelWidths) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(m_panels.size()));
        panel->setMinimumWidth(width);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(3, 0, 3, 0);
        addWidget(panel);
        m_panels.push_back(panel);
    }
}

QString StatusBar::panelText(int index) const
{
    return m_panels.at(static_cast<std::size_t>(index))->text();
}

void StatusBar::setPanelText(int index, const QString& text)
{
    QLabel* panel = m_panels.at(static_cast<std::size_t>(index));
    if (panel->text() != text)
        panel->setText(text);
}

void StatusBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    QStatusBar::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace windows
