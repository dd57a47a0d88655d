// CModelNextPage: a model sheet page that only shows a text. Made by default it is the page
// Marlow keeps without adding it to its sheet; a layout's extra pages are made of it too.
#pragma once

#include <QWidget>

#include <string>

inline constexpr const char* kModelNextPageTitle = "Marlow Component";
inline constexpr const char* kModelNextPageText = "This page is removed";

class CModelNextPage : public QWidget
{
public:
  explicit CModelNextPage(QWidget* parent = nullptr);
  CModelNextPage(const std::string& title, const std::string& text, QWidget* parent = nullptr);
};
