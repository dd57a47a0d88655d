// The AUTOEXEC.BAT additions and the reboot batch.
#include "harness/dosstartfiles.h"

#include "platform/reboot_program.h"

namespace harness {

namespace {

std::string Below(const std::string& folder, const std::string& name)
{
  return folder + "\\" + name;
}

} // namespace

RebootBatchNames RebootBatchNamesFor(platform::PlatformFamily family,
                                     const std::string& tempFolderDos)
{
  if (family == platform::PlatformFamily::NT)
    return {kDosHandOverBatchName, kDosRemarkBatchName, kDosRebootBatchName,
            platform::kRebootProgramName};
  const std::string batchFolder = Below(tempFolderDos, kDosBatchFolderName);
  return {Below(tempFolderDos, kDosHandOverBatchName), Below(tempFolderDos, kDosRemarkBatchName),
          Below(batchFolder, kDosRebootBatchName),
          Below(batchFolder, platform::kRebootProgramName)};
}

std::string RebootBatchText(platform::PlatformFamily family, const RebootBatchNames& names)
{
  const std::string& a = names.handOver;
  std::string text;
  text += "echo REM Created by Redi Devuzad > " + names.remark + "\r\n";
  text += "echo copy " + names.remark + " " + names.rebootBatch + " > " + a + "\r\n";
  if (family == platform::PlatformFamily::NT) {
    // The person at the machine takes the floppy out before it boots again.
    text += "echo echo ------------------------------------------------------->> " + a + "\r\n";
    text += "echo echo Reboot utility is being called now.>> " + a + "\r\n";
    text += "echo echo When system restarts, remove the floppy from the drive>> " + a + "\r\n";
    text += "echo echo ------------------------------------------------------->> " + a + "\r\n";
    text += "echo pause>> " + a + "\r\n";
  }
  text += "echo " + names.rebootProgram + " >> " + a + "\r\n";
  text += a;
  return text;
}

std::string AutoexecAdditions(platform::PlatformFamily family, const std::string& tempFolderDos,
                              const std::string& systemRootDos)
{
  std::string text = "\r\n";
  if (family == platform::PlatformFamily::NT) {
    text += "\r\n@ECHO OFF\r\n";
    text += std::string("call ") + kDosBatchListName + "\r\n";
    text += std::string("call ") + kDosRebootBatchName + "\r\n";
    return text;
  }
  const std::string batchFolder = Below(tempFolderDos, kDosBatchFolderName);
  text += "call " + Below(batchFolder, kDosBatchListName) + "\r\n";
  text += "call " + Below(batchFolder, kDosRebootBatchName) + "\r\n";
  // The 9x family boots from the hard disk: DOS itself puts the start-up files back.
  for (const auto& [backup, original] : {std::pair{kDosConfigBackupName, kDosConfigName},
                                         std::pair{kDosAutoexecBackupName, kDosAutoexecName}}) {
    const std::string from = systemRootDos + backup;
    text += "copy " + from + " " + systemRootDos + original + "\r\n";
    text += "del " + from + "\r\n";
  }
  return text;
}

} // namespace harness
