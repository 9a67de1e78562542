#pragma once

#include "report/ReportFont.h"
#include "report/ReportObject.h"

#include <QStringList>
#include <optional>

// "Alignment": across (left, right, centre), vertical text, and up-down (top when neither
// middle nor down is set).
constexpr int frtaLeft = 0;
constexpr int frtaRight = 1;
constexpr int frtaCenter = 2;
constexpr int frtaVertical = 4;
constexpr int frtaMiddle = 8;
constexpr int frtaDown = 16;

// "FrameTyp": the framed sides.
constexpr int frftRight = 1;
constexpr int frftBottom = 2;
constexpr int frftLeft = 4;
constexpr int frftTop = 8;

// The "no colour" value of the colour encoding: a fill of this colour is no fill.
constexpr quint32 clNone = 0x1FFFFFFF;

// A text object: lines of text, which may hold the references [Dataset.Field], [PAGE#] and
// [TOTALPAGES], drawn in its rectangle with a frame, a fill, a font and a text colour.
class ReportText : public ReportObject {
public:
    QStringList Lines;
    // The band the object belongs to, by name; empty: the band whose vertical span holds Top.
    QString Band;
    // The font; none: the page's default font.
    std::optional<ReportFont> Font;
    // A text printed exactly as it stands: brackets in it are not references.
    bool Literal = false;

    int Alignment = frtaLeft;
    int FrameTyp = 0;
    std::optional<quint32> FillColor; // none: no fill
    quint32 FontColor = 0;            // black

    // The whole-number properties by name: "Alignment", "FrameTyp", "FillColor", "Font.Color".
    // An unknown name is a ReportError.
    void SetProp(const QString& name, qint64 value);
    qint64 Prop(const QString& name) const;
    static bool IsPropName(const QString& name);

    // Replaces the whole text; line breaks in `text` start new lines.
    void SetText(const QString& text);
    QString Text() const { return Lines.join(u'\n'); }

    ReportText* AsText() override { return this; }
};
