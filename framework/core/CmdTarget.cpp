#include "CmdTarget.h"

#include <utility>

bool FwCmdTarget::OnCmdMsg(unsigned id, FwCmdUI* update)
{
    if (update) {
        for (const UpdateEntry& entry : updates_) {
            if (id >= entry.first && id <= entry.last) {
                entry.handler(*update);
                return true;
            }
        }
    }
    for (const CommandEntry& entry : commands_) {
        if (id >= entry.first && id <= entry.last) {
            if (update)
                update->Enable(true);
            else
                entry.handler(id);
            return true;
        }
    }
    return false;
}

void FwCmdTarget::OnCommand(unsigned id, std::function<void()> handler)
{
    commands_.push_back({id, id, [handler = std::move(handler)](unsigned) { handler(); }});
}

void FwCmdTarget::OnCommandRange(unsigned first, unsigned last, std::function<void(unsigned)> handler)
{
    commands_.push_back({first, last, std::move(handler)});
}

void FwCmdTarget::OnUpdate(unsigned id, std::function<void(FwCmdUI&)> handler)
{
    updates_.push_back({id, id, std::move(handler)});
}

void FwCmdTarget::OnUpdateRange(unsigned first, unsigned last, std::function<void(FwCmdUI&)> handler)
{
    updates_.push_back({first, last, std::move(handler)});
}
