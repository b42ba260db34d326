#pragma once

#include <QWidget>

#include <memory>

// An item's editor is held through a link whose Window() is null once the
// window has closed. Brings the window up, making a new editor through
// factory when there is none or its window has gone.
template <class Link, class Factory, class Item>
QWidget *OpenEditorWindow(std::unique_ptr<Link> &link, const Factory &factory, Item &item)
{
    if (link && !link->Window())
        link.reset();
    if (!link && factory)
        link = factory(item);
    QWidget *window = link ? link->Window() : nullptr;
    if (window) {
        window->showNormal();
        window->raise();
        window->activateWindow();
    }
    return window;
}
