#include "app/view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tarnel {

int roundHalfEvenOfHalf(long long twice) {
    // floor(twice / 2), then a tie goes to the even neighbour.
    long long down = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
    if (twice - 2 * down == 1 && (down & 1) != 0) ++down;
    return static_cast<int>(down);
}

ViewLayout computeLayout(int W, int Hc, int cw, int ch, int iw, int ih) {
    ViewLayout out;
    if (iw > cw) {
        out.bounds.left = (W - cw) / 2;
        out.bounds.right = out.bounds.left + cw - 1;
    } else {
        out.bounds.left = (W - iw) / 2;
        out.bounds.right = out.bounds.left + iw - 1;
    }
    if (ih > ch) {
        out.bounds.top = (Hc - ch) / 2;
        out.bounds.bottom = out.bounds.top + ch - 1;
    } else {
        out.bounds.top = (Hc - ih) / 2;
        out.bounds.bottom = out.bounds.top + ih - 1;
    }
    out.imageLarger = iw > W || ih > Hc;
    out.viewX = iw > cw ? (iw - cw) / 2 : 0;
    out.viewY = ih > ch ? (ih - ch) / 2 : 0;
    return out;
}

Point imagePosition(int cw, int ch, int iw, int ih, int panX, int panY) {
    return Point{panX + (cw - iw) / 2, panY + (ch - ih) / 2};
}

void drawImageOnCanvas(Image& canvas, const Image& image, Point pos) {
    canvas.fill(kCanvasBackground);
    canvas.paste(image, pos.x, pos.y);
}

FitGeometry computeFit(int iw, int ih, const WindowMetrics& m, Size desktop) {
    const int maxInnerWidth = desktop.width - m.frameWidth;
    const int maxCanvasHeight =
        desktop.height - m.frameHeight - m.menuBarHeight - m.toolbarHeight - m.statusBarHeight;
    const int w = std::max(std::min(iw, maxInnerWidth), kMinInnerWidth);
    const int h = std::max(std::min(ih, maxCanvasHeight), kMinCanvasHeight);
    const int H = h + m.menuBarHeight + m.statusBarHeight + m.toolbarHeight;
    FitGeometry fit;
    fit.inner = Size{w, H};
    fit.outerTopLeft = Point{(desktop.width - w - m.frameWidth) / 2, (desktop.height - H - m.frameHeight) / 2};
    return fit;
}

Rect canvasToImage(const Rect& r, int boundsLeft, int boundsTop, int viewX, int viewY, int panX, int panY) {
    const int dx = -boundsLeft + viewX - panX;
    const int dy = -boundsTop + viewY - panY;
    return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

std::string sizeStatusText(const std::string& fileName, int width, int height) {
    return fileName + "  |  (" + std::to_string(width) + " x " + std::to_string(height) + ")";
}

std::string selectionStatusText(int w, int h, const Rect& e) {
    const float ratio = static_cast<float>(w) / static_cast<float>(h);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.5f", static_cast<double>(ratio));
    return "Size = " + std::to_string(w) + " x " + std::to_string(h) + " | x/y ratio = " + buffer +
           " | xLeft = " + std::to_string(e.left) + " | yTop = " + std::to_string(e.top) +
           " | xRight = " + std::to_string(e.right) + " | yBottom = " + std::to_string(e.bottom);
}

void MoverDrag::start(int x, int y, int imageW, int imageH, int canvasW, int canvasH) {
    dragging = true;
    lastX = x;
    lastY = y;
    iw = imageW;
    ih = imageH;
    cw = canvasW;
    ch = canvasH;
    minX = std::min(cw - iw, 0);
    maxX = std::max(cw - iw, 0);
    minY = std::min(ch - ih, 0);
    maxY = std::max(ch - ih, 0);
}

Point MoverDrag::move(int x, int y, int& panX, int& panY) {
    panX += x - lastX;
    lastX = x;
    panY += y - lastY;
    lastY = y;
    Point p = imagePosition(cw, ch, iw, ih, panX, panY);
    if (p.x < minX) {
        panX += minX - p.x;
        p.x = minX;
    }
    if (p.x > maxX) {
        panX -= p.x - maxX;
        p.x = maxX;
    }
    if (p.y < minY) {
        panY += minY - p.y;
        p.y = minY;
    }
    if (p.y > maxY) {
        panY -= p.y - maxY;
        p.y = maxY;
    }
    return p;
}

void MoverDrag::finish(int panX, int panY, int& viewX, int& viewY) {
    dragging = false;
    viewX = iw > cw ? (iw - cw) / 2 : (iw < cw ? panX : 0);
    viewY = ih > ch ? (ih - ch) / 2 : (ih < ch ? panY : 0);
}

}  // namespace tarnel
