// The message catalogue: every user-facing text of setup, verbatim.
// Templates hold printf placeholders; fill them with format() only.
#pragma once

namespace msg {

inline constexpr const char* kPackageVersion = "4.0-0";

// Usage text (standard error).
inline constexpr const char* kUsageVersion = "Orvo setup version: %s.\n";
inline constexpr const char* kUsageNotice1 = "Installs, upgrades and removes the Orvo printer-driver package.\n";
inline constexpr const char* kUsageNotice2 = "Run it as root; every run is recorded in /var/log/Orvo4.0_UpdateLog.\n";
inline constexpr const char* kUsageUsage = "Usage:\n";
inline constexpr const char* kUsageSynopsis = "setup [options].\n";
inline constexpr const char* kUsageOptions = "Options:\n";
inline constexpr const char* kUsageDeinstall = "-d\t: de-installation of Orvo %s.\n";
inline constexpr const char* kUsageAnyDir = "-fx\t: allow install from any directory: x=0:no,1:yes [1].\n";
inline constexpr const char* kUsageHelp = "-h\t: display this message.\n";
inline constexpr const char* kUsageQuery = "-qx\t: query steps of installation: x=0:no,1:yes [0].\n";
inline constexpr const char* kUsageSeLinux = "-Sx\t: set SELinux mode: x=0:off,1:on [1].\n";
inline constexpr const char* kUsageDebug = "-Dx\t: set debug mode. [0].\n";
inline constexpr const char* kUsagePreview =
    "-n\t: preview: list what an installation would do to every queue; changes nothing (-j: as JSON).\n";
inline constexpr const char* kUsageRollback =
    "-r\t: roll the refreshed queues back to the PPDs saved before the refresh.\n";
inline constexpr const char* kUsageKeepQueues =
    "-k\t: remove what setup made beside the package files (filter link, PPD copies, information file,\n"
    "\t  scripts), keeping the printer queues; run by the package manager when it removes the package.\n";
inline constexpr const char* kArgumentTooLong =
    "setup: the argument of -%c is longer than %d characters; nothing was changed.\n";

// Run log.
inline constexpr const char* kLogPath = "/var/log/Orvo4.0_UpdateLog";
inline constexpr const char* kPreparingLog = "Preparing Log File:\n";
inline constexpr const char* kCommandReturned = "Command: \"%s\" returned with: %d.\n";
inline constexpr const char* kStartLine = "Starting Orvo 4.0-0 installation : %s";
inline constexpr const char* kFinishLine = "Finishing Orvo 4.0-0 installation : %s";

// Run flow and its two branches.
inline constexpr const char* kMustBeRoot = "\n\n\tYou must be root to be able\n\tto install Orvo!\n\n\tSorry!";
inline constexpr const char* kMustBeRootReason = "You must be root to be able to install Orvo!";
inline constexpr const char* kMustBeRootDebug = "Must be root.\nExiting.\n";
inline constexpr const char* kSourceDir = "Directory from which we install: '%s'.\n";
inline constexpr const char* kSimulation = "Orvo3.0 setup simulation, not from /opt/vyr/bin.\nExiting.\n";
inline constexpr const char* kSeLinuxRunning = "SELinux is running: %s.";
inline constexpr const char* kSeLinuxModuleInstalled = "SELinux module orvo.pp is installed.";
inline constexpr const char* kSystemScheduler = "System Scheduler = ";
inline constexpr const char* kAbandonedBecause = "Abandoned because:\n";
inline constexpr const char* kNoCupsDaemon = "* No running CUPS daemon found!\n";
inline constexpr const char* kNoFoomatic = "* No foomatic-rip program found!\n";
inline constexpr const char* kSorry = "*** Sorry ***\n";
inline constexpr const char* kCupsBaseDir = "CUPS base dir: %s\n";
inline constexpr const char* kCupsBinaryDir = "CUPS binary dir: %s\n";
inline constexpr const char* kLpadminIs = "lpadmin = %s\n";
inline constexpr const char* kLpstatIs = "lpstat  = %s\n";
inline constexpr const char* kDebugRootMode = "Root mode: getting printer manager.\n";
inline constexpr const char* kDebugFullInfo = "Getting full system info.\n";
inline constexpr const char* kNoInstallation = "No Orvo installation found.\n";
inline constexpr const char* kAskDelete = "Do you want to delete Orvo and any possible Orvo printer queues?\n";
inline constexpr const char* kPrintersFound = "Number of Orvo printers found: %d.";
inline constexpr const char* kUninstalled = "Orvo 4.0-0 has been un-installed from the system.\n";
inline constexpr const char* kAskRemoveKeepQueues =
    "Do you want to remove what setup made for Orvo, keeping the printer queues?\n";
inline constexpr const char* kSetupFilesRemoved =
    "What setup made for Orvo 4.0-0 has been removed; the printer queues were kept.\n";
inline constexpr const char* kDeletedPpdCopies = "Deleted %d package PPD files from: %s.";
inline constexpr const char* kAbandonedByUser = "Program abandoned by user.\n";
inline constexpr const char* kNewInstallation = "New installation";
inline constexpr const char* kFoundExisting = "Found an existing Orvo 3.0 installation in the directory:\n%s.";
inline constexpr const char* kInstallDirOk = "The installation directory:\n\t'%s'\nexists and is OK.";
inline constexpr const char* kRunLocked = "Another setup run (process %ld) is in progress. Nothing was changed.\n";
inline constexpr const char* kRunLockFailed = "setup cannot take its run lock (%s). Nothing was changed.\n";
inline constexpr const char* kPackageUntrusted =
    "The package file '%s' cannot be trusted: %s. Unpack the package as root and run its setup again.";
inline constexpr const char* kInstallDirSecured =
    "The installation directory '%s' let other users rename its entries: its mode is now %04o.";
inline constexpr const char* kInstallDirNotOk = "The installation directory:\n\t'%s'\ndoes not exist or is not OK.";
inline constexpr const char* kUpgradeMode = "Upgrade Mode = %d.\n";
inline constexpr const char* kMissingInfo = "Orvo 3.0 installation missing info:\n\t'%s/%s'.\nAbandon...";
inline constexpr const char* kInsufficientData = "Because of insufficient data, setup stopped.\n";
inline constexpr const char* kAskInstall = "Would you like to install Orvo 4.0-0?";
inline constexpr const char* kAskUpdate = "Would you like to update Orvo 4.0-0?";
inline constexpr const char* kAskUpdateOld = "Would you like to update Orvo 3.0 from Orvo 2.0?";

// Terminal prompts.
inline constexpr const char* kHintYesNo = "Answer with y[es] or n[o], followed by <RETURN> please.";
inline constexpr const char* kHintYesNoAll =
    "Answer with y[es], n[o], or a[ll] = 'yes' for all printers,\nor b[reak] for none, followed by <RETURN> please.";

// CUPS version probe.
inline constexpr const char* kCupsHeaderVersion = "CUPS Header Version : %d//HTTP";
inline constexpr const char* kCupsVersionSpaced = "CUPS Version : %d // %s";
inline constexpr const char* kCupsVersion = "CUPS Version : %d// %s";
inline constexpr const char* kCupsVersionNotFound = "CUPS Version not found. Reset to 1.4";
inline constexpr const char* kTmpNameFailed = "myTmpName(%s,%s) Failed!\n";
inline constexpr const char* kCannotOpenProbeFile = "Cannot open file(cmd=%s) i=%d\n";
inline constexpr const char* kProbeLine = "STRING=(%s) i=%d\n";

// SELinux support.
inline constexpr const char* kSeLinuxNoModule = "SELinux running, but no file orvo.pp found.";
inline constexpr const char* kChconResult = "chcon SELinux for: \"%s\": result: %d";
inline constexpr const char* kSeLinuxModuleStep = ".......\n";

// Install manifest.
inline constexpr const char* kCannotOpenInfoFile = "Cannot open info file: '%s'.\n";
inline constexpr const char* kManifestOpened = "ORVOINST.CONF = %s.";
inline constexpr const char* kManifestItemDebug = "getInfoData: %s ===> %s, o%o.\n";
inline constexpr const char* kManifestFull = "Install manifest holds more than %d items; the rest is not read.";
inline constexpr const char* kManifestSourceTooLong = "Install manifest source longer than %d characters rejected: %s";

// Install engine.
inline constexpr const char* kWrong = ": WRONG!!!";
inline constexpr const char* kCreatedDirectory = "Created directory: '%s'.\n";
inline constexpr const char* kInstallDirectoryOk = "Installation directory: '%s' OK.\n";
inline constexpr const char* kCreatingConfig = "Creating configuration file: '%s/orvoInfo3.0'.\n";
inline constexpr const char* kCreatingUninstall = "Creating uninstallation script: '%s/UNINSTALLORVO'.\n";
inline constexpr const char* kCreatingStartScripts = "Creating printer start scripts.\n";
inline constexpr const char* kCopyingFile = "Copying file %s to %s.\n";
inline constexpr const char* kChangingRights = "Changing execution rights of '%s' to  00%o.\n";
inline constexpr const char* kSkipConfig = "Skip creating configuration file: '%s/orvoInfo3.0'.\n";
inline constexpr const char* kLinked = "Link %d: %s linked to %s.\n";
inline constexpr const char* kPpdInstallDir = "PPD installation dir: %s\n";
inline constexpr const char* kCannotChdir = "Could not change directory to: %s.\n";
inline constexpr const char* kChdir = "cd %s.\n";
inline constexpr const char* kSetupAfterRpm = "setup after rpm in: %s.\n";
inline constexpr const char* kNoVyrDirectory = "Could not find or create VYR directory : %s";
inline constexpr const char* kSorryToQuit = "Sorry to quit the installation.";
inline constexpr const char* kCouldNotCreateDirectory = "Could not create directory: %s";
inline constexpr const char* kFallingBack = "Falling back to CUPS model dir: %s";
inline constexpr const char* kCouldNotChmodDirectory = "Could not chmod directory: %s";
inline constexpr const char* kCopyingOldConfig = "Copying Orvo config file %s/orvoInfo2.0 to orvoInfo3.0.\n";
inline constexpr const char* kStartingCopyLoop = "goInstall: Starting copy loop for %d items.\n";
inline constexpr const char* kCopyItemDebug = "goInstall[%d]: %s ===> %s, o%o.\n";
inline constexpr const char* kCouldNotChmod = "Could not chmod %s to %o.\n";
inline constexpr const char* kNoVyrDir = "No VYR directory: '%s' possible";
inline constexpr const char* kNoVyrBinDir = "No VYR binary directory: '%s' possible";
inline constexpr const char* kNoVyrEtcDir = "No VYR etc directory: '%s' possible";
inline constexpr const char* kCannotAccessPpdDir = "Cannot access PPD dir: \"%s\"\n";
inline constexpr const char* kSavedPpdFiles = "Saved PPD files from: %s.\n";
inline constexpr const char* kSavedTo = "To: %s.\n";
inline constexpr const char* kItemRejected = "Install manifest item %s rejected: destination '%s' is not a known form.";

// Generated scripts and information file.
inline constexpr const char* kCannotOpenFile = "Cannot open file:\n\t'%s',\nPlease check and try again.";
inline constexpr const char* kCreatedScript = "Created script: %s.";
inline constexpr const char* kScriptHeader = "# De-installation script of Orvo 3.0 dated: %s";
inline constexpr const char* kScriptYesOrNo = "Answer with yes or no please.";
inline constexpr const char* kScriptTitle = "De-installation of 'Orvo 4.0-0'";
inline constexpr const char* kScriptQuestion = "Do you really want to de-install Orvo 3.0?";
inline constexpr const char* kScriptDefault = "no";
inline constexpr const char* kScriptYesPattern = "[oO]|[yY]|[yY][eE][sS])";
inline constexpr const char* kScriptNoPattern = "[nN]|[nN][oO])";
inline constexpr const char* kCopiedInfoFile = "Copied orvoInfo2.0 to orvoInfo3.0 file.\n";

// Directory and link helpers.
inline constexpr const char* kNoFile = "No file: %s";
inline constexpr const char* kExistsNotLinked = "File: %s exists already. Not created as link!";

// PPD install directory and links.
inline constexpr const char* kNoKnownLinks = "No known links in cups model dir: %s\n";
inline constexpr const char* kUsingPreviousPpdDir = "Using previous Orvo PPD directory: \"%s\".";

// PPD locations.
inline constexpr const char* kRule39 = "=======================================";
inline constexpr const char* kSystemPpdLocations = "Sytem PPD locations:";
inline constexpr const char* kCupsModelDirectory = "CUPS model directory: %s";
inline constexpr const char* kFoomaticDirectory = "Foomatic directory  : %s";
inline constexpr const char* kOstraDirectory = "Ostra directory     : %s";
inline constexpr const char* kCustomPpdDirectory = "Custom ppd directory: %s";
inline constexpr const char* kSystemPpdDirectory = "System ppd directory: %s";
inline constexpr const char* kShareUsrPpd = "Share ppd directory : /usr/share/ppd";
inline constexpr const char* kShareOptPpd = "Share ppd directory : /opt/share/ppd";
inline constexpr const char* kFoundExistingPpdDir = "Found existing Orvo PPD dir: \"%s\".";
inline constexpr const char* kUnknownDir = "???";

// Printer inventory.
inline constexpr const char* kInstalledPrinters = "List of Ostra Printers installed: %d.\n";
inline constexpr const char* kPrinterName = "Printer : %s.\n";
inline constexpr const char* kPrinterUnknown = "Printer : unknown.\n";
inline constexpr const char* kPrinterPpdFile = "\tPPD File: %s.\n";
inline constexpr const char* kPrinterModel = "\tModel   : %s.\n";
inline constexpr const char* kPrinterOstraId = "\tOstra ID: %d.\n";
inline constexpr const char* kPdlUnknown = "\tPDL     : Unknown.";
inline constexpr const char* kPdlPostScript = "\tPDL     : PostScript.";
inline constexpr const char* kPdlPcl = "\tPDL     : PCL.";
inline constexpr const char* kPdlPxl = "\tPDL     : PXL.";
inline constexpr const char* kPdlCpca = "\tPDL     : CPCA.";
inline constexpr const char* kPdlRaw = "\tPDL     : Raw.";
inline constexpr const char* kPdlSpecial = "\tPDL     : Special.";
inline constexpr const char* kUnableToOpen = "Unable to open '%s'!\n";
inline constexpr const char* kGettingPpdFrom = "Getting PPD from directory: %s\n";
inline constexpr const char* kPpdFilesToInstall = "List of Ostra PPD files to install: %d.\n";
inline constexpr const char* kPpdIs = "PPD = %s.\n";
inline constexpr const char* kPpdNotFound = "PPD NOT FOUND!\n";

// Rollback.
inline constexpr const char* kAskRollback =
    "Do you want to put the refreshed Orvo printer queues back on the PPDs saved before their refresh?\n";
inline constexpr const char* kAskRollbackPrinter = "Do you want to roll back printer: %s? ";
inline constexpr const char* kRolledBack = "Rollback of printer %s: its PPD was put back from %s.";
inline constexpr const char* kRollbackNoBackup = "Rollback of printer %s: no backup %s; left alone.";
inline constexpr const char* kRollbackForeignBackup =
    "Rollback of printer %s: %s is not a readable PPD of an older version of the package; left alone.";
inline constexpr const char* kRollbackNothingNewer =
    "Rollback of printer %s refused: its PPD is not newer than its backup %s; nothing newer to go back from.";
inline constexpr const char* kRollbackFailed = "Rollback of printer %s failed: %s; its PPD is unchanged.";
inline constexpr const char* kRolledBackCount = "Number of Orvo printers rolled back: %d.";

// Preview.
inline constexpr const char* kPreviewTitle =
    "Preview of an Orvo 4.0-0 installation into %s (package: %s); nothing is changed.\n\n";
inline constexpr const char* kPreviewAbandoned = "The installation would be abandoned: %s\n";
inline constexpr const char* kPreviewSummary =
    "\n%d queues: %d would be refreshed, %d would keep their PPD; %d defaults carried, %d new defaults kept.\n";
inline constexpr const char* kQueueNameSkipped = "Skipping printer queue '%s': not a usable queue name.";

// PPD option carry-over.
inline constexpr const char* kUnableToOpenPpd = "Unable to open '%s' as a PPD file!\n";
inline constexpr const char* kProcessNewPpd = "processNewPPD(nOptions=%d)\n";
inline constexpr const char* kProcessNewPpdKeyword = "processNewPPD(%s).\n";
inline constexpr const char* kSettingNewOption = "processNewPPD: Setting new option: %s/%s.\n";
inline constexpr const char* kKeepingNewDefault = "processNewPPD: Keeping new default %s/%s: %s not offered.\n";
inline constexpr const char* kAddOptListNull = "addOptList(NULL,...) Error!\n";
inline constexpr const char* kAddPListNull = "addPList(NULL,...) Error!\n";
inline constexpr const char* kKeepingNewDefaultConflict =
    "processNewPPD: Keeping new default %s/%s: %s conflicts with other defaults.\n";

// Per-printer PPD refresh.
inline constexpr const char* kRule58 = "==========================================================";
inline constexpr const char* kNoOptionMemory = "Cannot allocate memory for option list.\n";
inline constexpr const char* kPrinterWithPpd = "Printer = %s with PPD=%s\n";
inline constexpr const char* kAskUpdatePrinter = "Do you want to update printer: %s? ";
inline constexpr const char* kProcessingPpdFiles = "Processing Ostra PPD files for printer: %s.\n";
inline constexpr const char* kProblemDecompressing = "Problem decompressing: %s for printer %s!\n";
inline constexpr const char* kProblemOpening = "Problem opening: %s for printer %s!\n";
inline constexpr const char* kNewPpdFor = "New PPD for printer %s in: %s.\n";
inline constexpr const char* kSaving = "saving %s to %s: result=%d";
inline constexpr const char* kCopying = "Copying %s to %s: result=%d";
inline constexpr const char* kConfigUpdated = "processPrinterConfig(%s): updated.";
inline constexpr const char* kUntrustedSkipped = "Skipping '%s': %s.";
inline constexpr const char* kUnsafeFileSkipped = "Skipping '%s': not a regular file, a link, or too large.";
inline constexpr const char* kNotReplaced = "%s is left as it was: %s.";
inline constexpr const char* kNotRefreshedNoBackup = "Not refreshing printer %s: its PPD could not be saved.";
inline constexpr const char* kNewPpdUnreadable =
    "Not installing %s for printer %s: the PPD library cannot open it (%s).";
inline constexpr const char* kCarriedDefaultUnmarked =
    "Not installing %s for printer %s: the carried default %s/%s is not the marked choice of its option.";
inline constexpr const char* kStaleFileRemoved = "Removed %s, left by an earlier run.";

// CUPS restart.
inline constexpr const char* kCupsRestartCommand = "CUPS restart command:\"%s\"\n";
inline constexpr const char* kCannotResetCups = "Cannot reset CUPS. Sorry!";
inline constexpr const char* kCupsResetReturned = "CUPS reset returned with: %d";

// A restart that stops no job, and what the scheduler serves afterwards.
inline constexpr const char* kJobsKept = "Kept %d job(s) from starting until CUPS is restarted.";
inline constexpr const char* kRestartWaits =
    "Waiting for %d printing job(s) to finish before CUPS is restarted (at most %d seconds); no job starts meanwhile.";
inline constexpr const char* kRestartWaitOver = "No job is printing any more: CUPS is restarted now.";
inline constexpr const char* kRestartPending =
    "CUPS restart pending: %d job(s) still printing after %d seconds. The queues print again; restart CUPS "
    "once they are done.";
inline constexpr const char* kJobsReleased = "Released the %d job(s) kept from starting; each prints once.";
inline constexpr const char* kHoldRecordNotWritten =
    "Cannot record the held queues and jobs in %s/%s; a run stopped now would leave them held.";
inline constexpr const char* kHoldNotRestored =
    "Cannot reach CUPS to release the queues and jobs held for a restart; they stay recorded in %s.";
inline constexpr const char* kHoldRestored =
    "Restored what an interrupted run held for a CUPS restart: %d printer(s) and class(es) put back, %d job(s) "
    "released (from %s).";
inline constexpr const char* kCacheRemoved = "Removed the scheduler's cached attributes of printer %s: %s/%s.";
inline constexpr const char* kCacheNotRemoved = "Cannot remove %s/%s, the scheduler's cached attributes of printer %s.";
inline constexpr const char* kCacheDirUnsafe =
    "Not touching the scheduler's cache directory %s (not root's, or others can write it); printer %s keeps its cache.";
inline constexpr const char* kServed = "CUPS serves printer %s as its PPD says: \"%s\", default media %s.";
inline constexpr const char* kNotServed = "CUPS does not serve printer %s as its PPD says: %s.";
inline constexpr const char* kServedUnknown = "What CUPS serves for printer %s is unknown: %s.";
inline constexpr const char* kServedOtherModel = "the scheduler announces \"%s\", the PPD says \"%s\"";
inline constexpr const char* kServedOtherMedia = "the scheduler announces the default media %s, not the PPD's page size";
inline constexpr const char* kProgressQueue = "Queue %d of %d: %s";
inline constexpr const char* kProgressWaiting = "Waiting for %d printing job(s) to finish before CUPS is restarted";
inline constexpr const char* kPreviewRestartWaits =
    "\nCUPS is printing %d job(s) now: the restart would wait until they are done (no job starts meanwhile).\n";

// De-installation.
inline constexpr const char* kExecutingCommand = "Executing command:\n\t%s";
inline constexpr const char* kDeletingFile = "Deleting file: '%s' - ";
inline constexpr const char* kDeletingDirectory = "Deleting directory: '%s' - ";
inline constexpr const char* kOk = "OK.";
inline constexpr const char* kNotPossible = "Not possible!";
inline constexpr const char* kDeletingPrinter = "Deleting the Orvo printer: %s.";
inline constexpr const char* kDeviceEntryKept = "Skipping '%s': not a regular file or symbolic link.";

}  // namespace msg
