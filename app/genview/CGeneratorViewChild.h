#pragma once
// The windows a generator view opens for its generator on request: the
// command terminal, the diagnostics window and the sequence player. They
// come from the tools and the sequences; each joins the program by
// registering a factory, and a view without one opens nothing. The view
// owns what a factory makes and deletes it before its panes and its
// connection, since a child talks to both.

#include <QDialog>

#include <functional>

class CGenerator;
class CGeneratorView;

// A modeless window of one generator view.
class CGeneratorViewChild : public QDialog {
public:
    explicit CGeneratorViewChild(QWidget *parent) : QDialog(parent) {}
    // True while the window runs a routine of its own: the view shows it
    // rather than deleting it, and the program does not close meanwhile.
    virtual bool IsBusyOperating() const { return false; }
    // Asks that routine to stop at its next step.
    virtual void RequestStop() {}
};

// The sequence player: puts the generator into sequence mode and back.
class CSequencePlayerWindow : public CGeneratorViewChild {
public:
    using CGeneratorViewChild::CGeneratorViewChild;
    // Saves the generator's settings and plays the sequence; false when
    // the generator does not take it.
    virtual bool Load(const QString &sequence) = 0;
    // Takes over the sequence the generator already runs.
    virtual void Attach() = 0;
    // Leaves sequence mode, puts the saved settings back and closes.
    virtual void Unload() = 0;
};

enum class ViewChildKind { CmdTerminal, Diagnostics, SequencePlayer };

// Makes the child of kind for a view (its parent) and the view's connection.
using ViewChildFactory = std::function<CGeneratorViewChild *(CGeneratorView *view, CGenerator *generator)>;
void RegisterViewChildFactory(ViewChildKind kind, ViewChildFactory factory); // an empty one removes it
const ViewChildFactory &FindViewChildFactory(ViewChildKind kind);
