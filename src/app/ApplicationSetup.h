#pragma once

class QApplication;

// Locale, translations and font of the program; runs before the first widget is made, since
// date pickers take their format when they are created.
void SetUpApplication(QApplication& app);
