// Numbered call-outs and captions drawn onto the manual's pictures.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

namespace manualpictures {

struct Callout {
    QRect target;   // what the call-out points at, in picture pixels
    QString label;  // short caption beside the number
};

// The page canvas: a white picture of the manual's height with a title strip.
QImage canvas(const QString& heading, int width);
// Draws `shot` scaled into `area` of `page`; returns the scale used.
double placeShot(QImage& page, const QImage& shot, QRect area);
// Frames each target with its number beside it, and lists the numbers with their captions
// in `listArea`, in two columns when `columns` is 2.
void drawCallouts(QImage& page, const std::vector<Callout>& callouts, QRect listArea,
                  int columns = 1);
// Height the list of `count` captions takes in `columns` columns.
int calloutListHeight(int count, int columns);

inline constexpr int kWidth = 1600;
inline constexpr int kHeight = 1000;
// Pages of the window's parts: nearer the manual's square picture area, so shown larger.
inline constexpr int kWindowPageWidth = 1200;
// Caption text on the page: shown in the manual at about a third, it must stay readable there.
inline constexpr int kCaptionPixels = 28;

}  // namespace manualpictures
