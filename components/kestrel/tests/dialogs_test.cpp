// The component's model sheet and the test cases' Configure dialogs as real windows under the
// offscreen platform: the fields they show, what Accept and Cancel leave in the test case, and the
// limits of each field.
#include "kestrel/analoginbasicfunctionality.h"
#include "kestrel/analoginquality.h"
#include "kestrel/videoinputcomponent.h"

#include "skeleton/modelgeneralpage.h"
#include "skeleton/modelpropsheet.h"

#include "testsupport/offscreen.h"

#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `work` on the dialog once it is shown modally; the dialog must be closed by it.
void WhileShown(const std::function<void(QDialog*)>& work)
{
  testsupport::TestApplication();
  QTimer::singleShot(0, [work] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    work(dialog);
  });
}

QLineEdit* Edit(QDialog* dialog, const char* name)
{
  auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
  EXPECT_NE(edit, nullptr) << name;
  return edit;
}

QPushButton* Button(QDialog* dialog, const QString& text)
{
  for (QPushButton* button : dialog->findChildren<QPushButton*>())
    if (QString(button->text()).remove(QLatin1Char('&')) == text)
      return button;
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

bool HasLabel(QDialog* dialog, const QString& text)
{
  for (QLabel* label : dialog->findChildren<QLabel*>())
    if (label->text() == text)
      return true;
  return false;
}

} // namespace

TEST(VideoInputDialogs, AcceptCopiesTheEditedParametersBack)
{
  CAnalog_In_Basic_Functionality test;
  WhileShown([](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Basic Capture Functionality Test");
    for (const char* label : {"Input FOURCC", "Input Width", "Vendor Name", "Video Standard",
                              "Diagnostics Level", "Less", "More"})
      EXPECT_TRUE(HasLabel(dialog, QString::fromLatin1(label))) << label;
    EXPECT_EQ(Edit(dialog, "fourcc")->text(), "YUY2");
    EXPECT_EQ(Edit(dialog, "width")->text(), "720");
    EXPECT_EQ(Edit(dialog, "vendor")->text(), "Custom");
    EXPECT_EQ(Edit(dialog, "standard")->text(), "NTSC");
    Edit(dialog, "fourcc")->setText("I420");
    Edit(dialog, "width")->setText("352");
    Edit(dialog, "vendor")->setText("V4L2");
    Edit(dialog, "standard")->setText("PAL");
    dialog->findChild<QSlider*>("diagnostics")->setValue(40);
    Button(dialog, "Accept")->click();
  });
  EXPECT_EQ(test.Configure(), kDialogAccepted);
  EXPECT_EQ(test.m_strFourcc, "I420");
  EXPECT_EQ(test.m_nWidth, 352);
  EXPECT_EQ(test.m_strVendor, "V4L2");
  EXPECT_EQ(test.m_strStandard, "PAL");
  EXPECT_EQ(test.m_nDiagnostics, 40);
}

TEST(VideoInputDialogs, CancelLeavesTheTestAsItWas)
{
  CAnalog_In_Basic_Functionality test;
  test.m_nDiagnostics = 7;
  WhileShown([](QDialog* dialog) {
    EXPECT_EQ(dialog->findChild<QSlider*>("diagnostics")->value(), 7);
    Edit(dialog, "vendor")->setText("Other");
    Button(dialog, "Cancel")->click();
  });
  EXPECT_EQ(test.Configure(), kDialogCancelled);
  EXPECT_EQ(test.m_strVendor, "Custom");
  EXPECT_EQ(test.m_nDiagnostics, 7);
}

// Each field keeps its limit: four FOURCC characters, 128 of vendor, 16 of standard, widths
// from 320 to 720 only (Accept stays off otherwise), the slider from 0 to 100.
TEST(VideoInputDialogs, FieldsKeepTheirLimits)
{
  CAnalog_In_Basic_Functionality test;
  WhileShown([](QDialog* dialog) {
    EXPECT_EQ(Edit(dialog, "fourcc")->maxLength(), 4);
    EXPECT_EQ(Edit(dialog, "vendor")->maxLength(), 128);
    EXPECT_EQ(Edit(dialog, "standard")->maxLength(), 16);
    auto* slider = dialog->findChild<QSlider*>("diagnostics");
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 100);
    QLineEdit* width = Edit(dialog, "width");
    QPushButton* accept = Button(dialog, "Accept");
    struct Case
    {
      const char* text;
      bool acceptable;
    };
    for (const Case& c : {Case{"320", true}, Case{"720", true}, Case{"319", false},
                          Case{"721", false}, Case{"", false}, Case{"-400", false}}) {
      SCOPED_TRACE(c.text);
      width->setText(QString::fromLatin1(c.text));
      EXPECT_EQ(accept->isEnabled(), c.acceptable);
    }
    Button(dialog, "Cancel")->click();
  });
  EXPECT_EQ(test.Configure(), kDialogCancelled);
  EXPECT_EQ(test.m_nWidth, 720);
}

TEST(VideoInputDialogs, TheExampleTestsDialog)
{
  CAnalog_In_Quality test;
  WhileShown([](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Analog_In_Quality Configuration");
    EXPECT_TRUE(HasLabel(dialog, "iParameter1:"));
    EXPECT_TRUE(HasLabel(dialog, "strParameter 2:"));
    EXPECT_EQ(Edit(dialog, "parameter1")->text(), "32");
    EXPECT_EQ(Edit(dialog, "parameter2")->text(), "Parameter 2");
    Edit(dialog, "parameter1")->setText("-12");
    Edit(dialog, "parameter2")->setText("changed");
    Button(dialog, "OK")->click();
  });
  EXPECT_EQ(test.Configure(), kDialogAccepted);
  EXPECT_EQ(test.m_nParameter1, -12);
  EXPECT_EQ(test.m_strParameter2, "changed");

  WhileShown([](QDialog* dialog) {
    Edit(dialog, "parameter1")->setText("99");
    Button(dialog, "Cancel")->click();
  });
  EXPECT_EQ(test.Configure(), kDialogCancelled);
  EXPECT_EQ(test.m_nParameter1, -12);
}

// The video input component's model sheet: seven fields (no "Version:"), each as long as its
// field allows, and the second page "More Stuff Here".
TEST(VideoInputDialogs, TheModelSheetHasSevenFieldsAndASecondPage)
{
  testsupport::TestApplication();
  CVideoInputComponent component(nullptr);
  CModelPropSheet sheet(component.GetModelSheetLayout());
  auto* form = sheet.GeneralPage()->findChild<QFormLayout*>();
  ASSERT_NE(form, nullptr);
  std::vector<std::pair<std::string, int>> fields;
  for (int row = 0; row < form->rowCount(); ++row) {
    auto* label = qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)->widget());
    auto* edit = qobject_cast<QLineEdit*>(form->itemAt(row, QFormLayout::FieldRole)->widget());
    ASSERT_TRUE(label != nullptr && edit != nullptr) << row;
    fields.emplace_back(label->text().toStdString(), edit->maxLength());
  }
  EXPECT_EQ(fields, (std::vector<std::pair<std::string, int>>{{"Path:", 254},
                                                              {"OEM:", 250},
                                                              {"Manufacturer:", 250},
                                                              {"Model:", 250},
                                                              {"Driver Version:", 250},
                                                              {"Firmware Version:", 250},
                                                              {"Serial Number:", 250}}));
  ASSERT_EQ(sheet.Pages()->count(), 2);
  EXPECT_EQ(sheet.Pages()->tabText(1), "More Stuff Here");
  const QList<QLabel*> labels = sheet.Pages()->widget(1)->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels.front()->text(), "Some Parameter:");
}
