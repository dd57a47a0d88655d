// Small helpers the harness's dialogs and property pages share: texts of the string table, a
// path edit with its default button, and a group of radio buttons numbered from 0.
#pragma once

#include <QString>
#include <QStringList>

class QButtonGroup;
class QDialog;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace harness {

class StringTable;

// A text of the string table as a Qt string.
QString UiText(const StringTable& strings, int id);

// A row with an edit (control `edit`, at most `limit` characters when limit > 0) and a default
// button (control `button`) that puts `defaultText` into the edit.
QHBoxLayout* PathRow(QWidget* parent, int edit, int limit, int button, const QString& buttonText,
                     const QString& defaultText, QLineEdit*& editOut);

// A group box (control `group`) holding one radio button per label; the group's ids are 0, 1, ...
QGroupBox* RadioGroup(QWidget* parent, int group, const QString& title, const QStringList& labels,
                      QButtonGroup*& buttonsOut);

// The checked button's id, 0 when none is checked; checking an id that has no button checks
// the first.
int CheckedIndex(const QButtonGroup* buttons);
void CheckIndex(QButtonGroup* buttons, int index);

QString ControlName(int control);

// Lays out `content` above OK and Cancel buttons that accept and reject the dialog; a sheet
// without an Apply button.
void LayOutWithOkCancel(QDialog* dialog, QWidget* content);

} // namespace harness
