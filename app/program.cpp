#include "app/program.h"

#include "framework/application.h"
#include "settings/varnel.h"
#include "ui/main_form.h"

namespace tovel {

int RunProgram(ProgramEnvironment& environment) {
    TApplication application(environment.Windows);
    Varnel varnel(environment.Files, environment.Version);

    // No data folder, no program: there would be nowhere to keep the line count.
    if (!varnel.EnsureDataFolder(u"Tovel", false)) {
        return 0;
    }
    // Another copy runs in this session: it is left alone and this start ends
    // silently, dropping its command line.
    if (environment.Mutexes.OpenExisting(kInstanceGuardName)) {
        return 0;
    }
    // Two starts at the same instant both find nothing to open; the create
    // tells them apart, and the later one ends as silently. A create the
    // system refuses lets the program run, as a failed open does.
    if (environment.Mutexes.Create(kInstanceGuardName) == NamedMutexes::Creation::Existed) {
        return 0;
    }

    // The taskbar button belongs to the (hidden) application window, which is
    // made hidden when first needed.
    application.SetMainFormOnTaskBar(false);
    application.SetTitle(u"Tovel");

    application.CreateForm<TmainForm>(
        TmainFormServices{environment.PointerSettings, varnel, environment.Files, environment.Codec,
                          environment.Messages, environment.Tray, environment.CommandLine});
    application.Run();
    return 0;
}

}  // namespace tovel
