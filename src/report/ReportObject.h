#pragma once

#include <QString>

class ReportBand;
class ReportText;

// An object of a design page: a band or a text object, with its name (unique in the report,
// empty for objects nobody looks up) and its place in whole design units of 1/96 inch,
// measured from the top-left corner of the page's printable area.
class ReportObject {
public:
    virtual ~ReportObject() = default;

    QString Name;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    void SetBounds(int left, int top, int width, int height) {
        Left = left;
        Top = top;
        Width = width;
        Height = height;
    }

    virtual ReportBand* AsBand() { return nullptr; }
    virtual ReportText* AsText() { return nullptr; }
    const ReportBand* AsBand() const { return const_cast<ReportObject*>(this)->AsBand(); }
    const ReportText* AsText() const { return const_cast<ReportObject*>(this)->AsText(); }

protected:
    ReportObject() = default;
    ReportObject(const ReportObject&) = default;
    ReportObject& operator=(const ReportObject&) = default;
};
