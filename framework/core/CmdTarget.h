// Commands and their update handlers. A target keeps a table of command ids with
// the function that runs the command and the one that says how its menu item,
// toolbar button or status pane looks right now.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One user-interface element of a command, as an update handler sees it.
class FwCmdUI {
public:
    explicit FwCmdUI(unsigned id) : id_(id) {}
    virtual ~FwCmdUI() = default;

    unsigned Id() const { return id_; }

    virtual void Enable(bool enabled = true) = 0;
    virtual void SetCheck(bool checked = true) = 0;
    virtual void SetText(const std::wstring& text) = 0;

private:
    unsigned id_;
};

class FwCmdTarget {
public:
    virtual ~FwCmdTarget() = default;

    // With `update` null: runs the command. Otherwise lets the update handler set
    // the element; a command without one is simply enabled. Returns false when
    // this target knows nothing of the id.
    virtual bool OnCmdMsg(unsigned id, FwCmdUI* update);

protected:
    void OnCommand(unsigned id, std::function<void()> handler);
    void OnCommandRange(unsigned first, unsigned last, std::function<void(unsigned id)> handler);
    void OnUpdate(unsigned id, std::function<void(FwCmdUI&)> handler);
    void OnUpdateRange(unsigned first, unsigned last, std::function<void(FwCmdUI&)> handler);

private:
    struct CommandEntry {
        unsigned first, last;
        std::function<void(unsigned)> handler;
    };
    struct UpdateEntry {
        unsigned first, last;
        std::function<void(FwCmdUI&)> handler;
    };
    std::vector<CommandEntry> commands_;
    std::vector<UpdateEntry> updates_;
};
