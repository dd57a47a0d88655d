// The resource library "Parlo.lrc": the string table, the menus' texts and the icon.
#pragma once

#include <QHash>
#include <QString>

namespace parlo {

// Numbers of the texts in the string table. Command texts use the command's identifier.
enum StringId : int {
  IDS_ABOUT_TITLE = 100,
  IDS_ABOUT_TEXT = 101,
  IDS_APP_TITLE = 104,
  IDS_FILE_FILTER = 105,
  IDS_UNTITLED = 106,
  IDS_DEFAULT_FACE = 2000,
  IDS_OPEN_FAILED = 3000,
  IDS_RELOAD_GONE = 3001,
  IDS_BINARY_FILE = 3002,
  IDS_BINARY_BYTES = 3003,
  IDS_LOADING = 3004,
  IDS_READY = 3006,
  IDS_FILE_GONE = 3007,
  IDS_FOLLOWING = 3008,
  IDS_NOT_FOUND = 3009,
  IDS_LOADED = 3010,
  IDS_FILE_REPLACED = 3011,
  IDS_PRINT_FAILED = 3012,
  IDS_COPY_TOO_LARGE = 3013,
  IDS_SEARCHING = 3014,
  IDS_PRINTING = 3015,
  IDS_CANCEL = 3016,
  IDS_MENU_FILE = 3100,
  IDS_MENU_EDIT = 3101,
  IDS_MENU_VIEW = 3102,
  IDS_MENU_HELP = 3103,
  IDS_FIND_PREVIOUS = 3104,
  IDS_FIND_NEXT = 3105,
  IDS_FIND_CASE = 3106,
  IDS_FONT_COLOUR = 3107,
  IDS_COLOUR_AUTOMATIC = 3108,
  ID_RELOAD = 32769,
  ID_FONT = 32770,
  ID_FOLLOW = 32771,
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_PRINT_SETUP = 57606,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_DIRECT = 57608,
  ID_FILE_PRINT_PREVIEW = 57609,
  ID_FILE_MRU_FILE1 = 57616,
  ID_EDIT_COPY = 57634,
  ID_EDIT_FIND = 57636,
  ID_EDIT_SELECT_ALL = 57642,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
};

// Loads the resource library from the program's folder and registers it with Qt's resource
// system, then reads its string table. Errors name the file and the system's reason.
class ResourceLibrary
{
public:
  static constexpr const char* kFileName = "Parlo.lrc";

  bool Load(const QString& folder, QString* error);
  void Unload();
  bool IsLoaded() const { return !m_path.isEmpty(); }

  // The text of a string by number; "#<number>" when the table has none.
  QString String(int id) const;
  // The text with its "%1", "%2"... inserts filled in.
  QString Format(int id, const QString& a1, const QString& a2 = {}) const;

  static const ResourceLibrary& Instance();
  static ResourceLibrary& MutableInstance();

private:
  QString m_path;
  QHash<int, QString> m_strings;
};

// Shortcuts to the process's resource library.
QString LoadString(int id);

} // namespace parlo
