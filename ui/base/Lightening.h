#pragma once

#include <QImage>

// A picture's hover copy: each colour moved part of the way towards white. Shared by the build's
// icon tool and the larger pictures taken from the icon theme at run time.
inline QImage Lightened(const QImage& image) {
    constexpr double kHoverLightening = 0.4;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const auto towardsWhite = [](int channel) {
                return channel + static_cast<int>((255 - channel) * kHoverLightening + 0.5);
            };
            const QRgb pixel = line[x];
            line[x] = qRgba(towardsWhite(qRed(pixel)), towardsWhite(qGreen(pixel)),
                            towardsWhite(qBlue(pixel)), qAlpha(pixel));
        }
    }
    return result;
}
