// The model selection dialog's rules against a private registry: the list of models, the entry
// to select, New Model, and OK with and without a selection and with a model the component
// cannot load.
#include "harness/modelselection.h"

#include "plinth/component.h"

#include "testsupport/hostsupport.h"
#include "testsupport/privateregistry.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

using namespace testsupport;
using harness::CModelSelection;

namespace {

const std::string kLabKey = std::string(kComponentDllsKey) + "\\Lab Bench";

// Loads every model but "Broken"; its configuration saves "Bench 9" when told to.
class CLabComponent : public CComponent
{
public:
  CLabComponent() : CComponent(nullptr) { SetClassName("Lab Bench"); }
  int ReadModelFromRegistry() override
  {
    loaded = ReadString(kLabKey, "CurrentModel");
    return loaded == "Broken" ? 0 : 1;
  }
  int ConfigureComponent(std::string& strNewModel) override
  {
    modelWhenConfigured = ReadString(kLabKey, "CurrentModel");
    if (!save)
      return kConfigureCancelled;
    strNewModel = "Bench 9";
    CRegKey model;
    EXPECT_EQ(model.CreateKeyString(platform::HKEY_LOCAL_MACHINE, kLabKey + "\\Bench 9"), 0);
    return kConfigureSaved;
  }
  bool save = true;
  std::string loaded;
  std::string modelWhenConfigured;
};

class ModelSelectionTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_registry.SeedRoot("/opt/halvex", "");
    m_lab.AddToComponentList();
  }
  void TearDown() override { _ComponentList.remove(&m_lab); }

  void WriteModels(const std::vector<std::string>& models, const std::string& current)
  {
    CRegKey key;
    ASSERT_EQ(key.CreateKeyString(platform::HKEY_LOCAL_MACHINE, kLabKey), 0);
    ASSERT_EQ(key.WriteString("CurrentModel", current), 0);
    for (const std::string& name : models) {
      CRegKey model;
      ASSERT_EQ(model.CreateKeyString(key, name), 0);
    }
  }

  CModelSelection Selection()
  {
    return CModelSelection(
        m_loader, m_strings, m_prompts,
        [this](unsigned int level, const std::string& text) {
          m_log.push_back(std::to_string(level) + " " + text);
        },
        "Lab Bench", "Default");
  }

  TempFolder m_folder;
  PrivateRegistry m_registry{m_folder};
  harness::CComponentLoader m_loader{kRootKey, {}};
  harness::StringTable m_strings = HarnessStrings();
  RecordingPrompts m_prompts;
  std::vector<std::string> m_log;
  CLabComponent m_lab;
};

} // namespace

TEST_F(ModelSelectionTest, ComponentWithoutModelsShowsAnEmptyListAndOkAsksForOne)
{
  WriteModels({}, "Default");
  CModelSelection selection = Selection();
  const auto models = selection.ReadModels();
  ASSERT_TRUE(models.has_value());
  EXPECT_TRUE(models->empty());
  EXPECT_EQ(selection.EntryToSelect(*models), -1);
  EXPECT_EQ(selection.Accept(""), CModelSelection::AcceptResult::NoSelection);
  ASSERT_EQ(m_prompts.requests.size(), 1u);
  EXPECT_EQ(m_prompts.requests[0].text, "Select a model in the list first.");
  EXPECT_EQ(m_prompts.requests[0].icon, harness::BoxIcon::Warning);
  EXPECT_TRUE(m_prompts.requests[0].beep);
  EXPECT_EQ(ReadString(kLabKey, "CurrentModel"), "Default");
  EXPECT_EQ(m_lab.loaded, "");
}

TEST_F(ModelSelectionTest, UnreadableKeyIsLoggedAndLeavesTheList)
{
  CModelSelection selection = Selection();
  EXPECT_FALSE(selection.ReadModels().has_value());
  EXPECT_EQ(m_log, std::vector<std::string>{"0 The models of the component cannot be listed: "
                                            "registry key " +
                                            kLabKey + " (error 2)."});
}

TEST_F(ModelSelectionTest, TheCurrentModelOrTheDefaultIsSelected)
{
  const std::vector<std::string> models = {"Bench 1", "Default", "Bench 10"};
  const struct
  {
    const char* current; // nullptr: no CurrentModel value
    int entry;
  } cases[] = {{"Bench 1", 0}, {"Bench 10", 2}, {"Default", 1}, {"Gone", 1}, {nullptr, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.current ? c.current : "(unreadable)");
    WriteModels({}, c.current ? c.current : "");
    if (c.current == nullptr) {
      CRegKey key;
      ASSERT_EQ(key.Open(platform::HKEY_LOCAL_MACHINE, kLabKey), 0);
      ASSERT_EQ(platform::RegDeleteValue(key, "CurrentModel"), 0);
    }
    EXPECT_EQ(Selection().EntryToSelect(models), c.entry);
  }
  EXPECT_EQ(Selection().EntryToSelect({"Bench 1"}), -1);
}

TEST_F(ModelSelectionTest, OkLoadsTheSelectedModelOrPutsThePreviousOneBack)
{
  WriteModels({"Bench 1", "Broken", "Default"}, "Bench 1");
  CModelSelection selection = Selection();
  EXPECT_EQ(selection.Accept("Default"), CModelSelection::AcceptResult::Loaded);
  EXPECT_EQ(m_lab.loaded, "Default");
  EXPECT_EQ(ReadString(kLabKey, "CurrentModel"), "Default");
  EXPECT_TRUE(m_prompts.requests.empty());

  EXPECT_EQ(selection.Accept("Broken"), CModelSelection::AcceptResult::LoadFailed);
  EXPECT_EQ(ReadString(kLabKey, "CurrentModel"), "Default");
  EXPECT_EQ(m_log, std::vector<std::string>{"0 The component Lab Bench could not load the model "
                                            "Broken; the previous model stays current."});
  ASSERT_EQ(m_prompts.requests.size(), 1u);
  EXPECT_EQ(m_prompts.requests[0].text,
            "The selected model could not be loaded. The previous model stays current.");
  EXPECT_EQ(m_prompts.requests[0].icon, harness::BoxIcon::Error);
}

TEST_F(ModelSelectionTest, NewModelStartsFromTheDefaultAndBecomesCurrent)
{
  WriteModels({"Bench 1", "Default"}, "Bench 1");
  CModelSelection selection = Selection();
  EXPECT_TRUE(selection.NewModel());
  EXPECT_EQ(m_lab.modelWhenConfigured, "Default");
  EXPECT_EQ(ReadString(kLabKey, "CurrentModel"), "Bench 9");
  const auto models = selection.ReadModels();
  ASSERT_TRUE(models.has_value());
  ASSERT_EQ(models->size(), 3u);
  EXPECT_EQ((*models)[selection.EntryToSelect(*models)], "Bench 9");

  // Not saved: the model from before stays.
  m_lab.save = false;
  EXPECT_FALSE(selection.NewModel());
  EXPECT_EQ(m_lab.modelWhenConfigured, "Default");
  EXPECT_EQ(ReadString(kLabKey, "CurrentModel"), "Bench 9");
}
