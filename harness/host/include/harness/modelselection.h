// What the model selection dialog does for one component class, without widgets: the models
// below the component's registry key, the entry to select, New Model through the
// component's own configuration, and OK with the reload of the chosen model. The dialog only
// shows the list and forwards the buttons. User-interface thread only.
#pragma once

#include "harness/componentloader.h"
#include "harness/prompts.h"
#include "harness/stringtable.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace harness {

class CModelSelection
{
public:
  using LogFunction = std::function<void(unsigned int level, const std::string& text)>;

  // defaultModel: the default model's name (the base library's string 2900).
  CModelSelection(CComponentLoader& loader, const StringTable& strings, UserPrompts& prompts,
                  LogFunction log, std::string className, std::string defaultModel);

  const std::string& ClassName() const { return m_strClassName; }

  // The component's models in the registry's order; nullopt, after a log line, when its key
  // cannot be opened (the list then keeps what it shows).
  std::optional<std::vector<std::string>> ReadModels() const;

  // The entry to select in `models`: the first that starts with the current model (the
  // default model when it cannot be read), else the first that starts with the default
  // model; -1 when neither is there.
  int EntryToSelect(const std::vector<std::string>& models) const;

  // New Model: the component configures a new model starting from the default one. True when
  // it saved one, which is then the current model; otherwise the current model is put back.
  bool NewModel();

  enum class AcceptResult { NoSelection, Loaded, LoadFailed };
  // OK with `selected` ("" when nothing is selected: beep and warning box). The selected model
  // becomes current and the component loads it; when it cannot, the previous model is put
  // back, logged and told in a box.
  AcceptResult Accept(const std::string& selected);

private:
  std::string CurrentOrDefault() const;

  CComponentLoader& m_loader;
  const StringTable& m_strings;
  UserPrompts& m_prompts;
  LogFunction m_log;
  std::string m_strClassName;
  std::string m_strDefaultModel;
};

} // namespace harness
