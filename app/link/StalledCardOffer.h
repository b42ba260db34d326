#pragma once
// A card left stalled by a call that timed out answers no open until it is
// forced to re-initialize. Every way of opening a card (Connect, Reconnect,
// a tool's direct connect) says so in one box and offers Forced Init there.

#include "PortType.h"

class QWidget;

enum class StalledCard {
    NotStalled, // another failure: the caller says why as it does
    LeftAlone,  // the box was shown; Forced Init declined or not possible
    Forced,     // the card was forced to re-initialize: open it again
};

// error is the failed open's library error, number the card as the port
// dialog counts it (ISA slot 0-7, PCI card from 1).
StalledCard OfferForcedInit(QWidget* owner, int error, PortType type, int number);
