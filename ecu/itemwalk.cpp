// SPDX-License-Identifier: GPL-3.0-or-later
#include "ecu/itemwalk.h"

#include <QDebug>

void ItemWalk::addItemRow(int code)
{
    codes_.append(code);
    ++pointerRows_;
}

void ItemWalk::addClosingRow(int code)
{
    codes_.append(code);
}

void ItemWalk::clear()
{
    selectionPending_ = false;
    if (!codes_.isEmpty()) {
        selected_ = 0;
        pointer_.reset();
    } else {
        pointer_.forget();
    }
    codes_.clear();
    pointerRows_ = 0;
    scanPass_ = 0;
    scanMoves_ = 0;
}

bool ItemWalk::scanOutOfStep()
{
    if (scanPass_ != 1 || pointerRows_ == scanMoves_)
        return false;
    qDebug().noquote() << "scan again: " + QString::number(pointerRows_) + " rows, "
                              + QString::number(scanMoves_) + " moves";
    scanPass_ = 0;
    return true;
}

void ItemWalk::restartScan(int pass)
{
    clear();
    scanPass_ = pass;
}

void ItemWalk::select(int row)
{
    selected_ = row;
    selectionPending_ = true;
    // A press not yet carried out was for the row the mechanic has left.
    if (request_.waiting() && request_.row() != row)
        dropPress();
}

void ItemWalk::press()
{
    request_.press(selected_);
    actionStep_ = 1;
}

void ItemWalk::dropPress()
{
    request_.drop();
    actionStep_ = 0;
}

void ItemWalk::sessionChanged()
{
    selectionPending_ = false;
    dropPress();
}
