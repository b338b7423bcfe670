#pragma once
class QWidget;
// The information window of the library, opened from the dialog's title-bar button.
void ShowTavexInfo(QWidget* parent);
