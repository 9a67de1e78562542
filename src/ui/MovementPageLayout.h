#pragma once

#include "stock/StockLists.h"

#include <QString>

class DataGrid;
class DatePicker;
class DropDownComboBox;
class FixedLabel;
class GlowButton;
class GroupBox;
class Query;
class ShadedPanel;

// The stock-in and stock-out pages are one design in two copies: the object names and texts of
// one copy, and the controls built for it.
struct MovementPageNames {
    MovementKind kind;
    const char* page;
    const char* topPanel;
    const char* gridPanel;
    const char* groupBox;
    const char* rangeLabel;
    const char* fromPicker;
    const char* toPicker;
    const char* nameLabel;
    const char* nameCombo;
    const char* modelLabel;
    const char* modelCombo;
    const char* queryButton;
    const char* addButton;
    const char* printButton;
    const char* exportButton;
    const char* grid;
    QString rangeCaption;
    QString addCaption;
};

struct MovementPageControls {
    ShadedPanel* page = nullptr;
    ShadedPanel* topPanel = nullptr;
    ShadedPanel* gridPanel = nullptr;
    GroupBox* groupBox = nullptr;
    FixedLabel* rangeLabel = nullptr;
    DatePicker* fromPicker = nullptr;
    DatePicker* toPicker = nullptr;
    FixedLabel* nameLabel = nullptr;
    DropDownComboBox* nameCombo = nullptr;
    FixedLabel* modelLabel = nullptr;
    DropDownComboBox* modelCombo = nullptr;
    GlowButton* queryButton = nullptr;
    GlowButton* addButton = nullptr;
    GlowButton* printButton = nullptr;
    GlowButton* exportButton = nullptr;
    DataGrid* grid = nullptr;
};

// Builds one stock movement page with its grid bound to `query`.
MovementPageControls BuildMovementPage(const MovementPageNames& names, Query* query);
