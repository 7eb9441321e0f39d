// The saved dialog sizes in the desktop file: section "Dlg Placements", one
// nested section per template id with the records "W" and "H". Read and
// written on the desktop broadcasts (the event's argument is the stream).
#pragma once

#include "framework/ui/ev_handler.h"

class INIStream;

class DialogPlacementsHandler : public PEvHandler {
public:
    const char* GetEvHandlerName() override { return "DialogPlacements"; }
    void OnDesktopRead(INIStream* stream) override;
    void OnDesktopWrite(INIStream* stream) override;

    static void Read(INIStream& stream);
    static void Write(INIStream& stream);
};

extern DialogPlacementsHandler g_dialogPlacementsHandler;
