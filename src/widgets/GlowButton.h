#pragma once

#include <QPushButton>

// A push button in the blue glowing style, 105 × 33 pixels.
class GlowButton : public QPushButton {
    Q_OBJECT
public:
    explicit GlowButton(const QString& text, QWidget* parent = nullptr);

    static constexpr int DefaultWidth = 105;
    static constexpr int DefaultHeight = 33;
};
