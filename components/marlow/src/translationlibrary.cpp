// Loading tallow around one translation.
#include "marlow/translationlibrary.h"

#include "tallow/tallow.h"

#include <atomic>

namespace marlow {

namespace {

std::atomic<ModuleLoader> s_loader{nullptr};

} // namespace

void SetTranslationModuleLoader(ModuleLoader loader)
{
  s_loader.store(loader);
}

TranslationResult TranslateWithLibrary(const std::string& logPath, const std::string& resultsPath,
                                       int32_t& status)
{
  status = TALLOW_STATUS_FAILED;
  const ModuleLoader loader = s_loader.load();
  platform::HMODULE module =
      loader != nullptr ? loader(kTranslationLibrary) : platform::LoadLibrary(kTranslationLibrary);
  if (module == nullptr)
    return TranslationResult::LibraryMissing;
  const auto translate =
      reinterpret_cast<iTranslateToNTLog_fn>(platform::GetProcAddress(module, kTranslateExport));
  if (translate == nullptr) {
    platform::FreeLibrary(module);
    return TranslationResult::LibraryMissing;
  }
  const int translated = translate(logPath.c_str(), resultsPath.c_str(), &status);
  platform::FreeLibrary(module);
  if (translated == 0) {
    status = TALLOW_STATUS_FAILED;
    return TranslationResult::Failed;
  }
  return TranslationResult::Translated;
}

} // namespace marlow
