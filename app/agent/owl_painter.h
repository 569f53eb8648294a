// The agent's figure: a little owl drawn with QPainter, posed by a motion
// and its progress from 0 to 1.
#pragma once

#include <QRectF>

#include "app/logic/agent_manifest.h"

class QPainter;

namespace krav::app {

// Draws the owl into `area`. Without a motion (progress < 0) it stands idle.
void PaintOwl(QPainter& painter, const QRectF& area, Motion motion, double progress);

}  // namespace krav::app
