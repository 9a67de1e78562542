#pragma once

#include <QGroupBox>

// A captioned group box with a thin blue frame, with rounded or square corners. Children are
// placed by position relative to the box.
class GroupBox : public QGroupBox {
    Q_OBJECT
public:
    enum class Corners { Rounded, Square };

    explicit GroupBox(const QString& title, QWidget* parent = nullptr,
                      Corners corners = Corners::Rounded);

    Corners corners() const { return m_corners; }

private:
    Corners m_corners;
};
