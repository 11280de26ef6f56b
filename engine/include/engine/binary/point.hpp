// A point of the x-y diagram: liquid composition x, vapour composition y.
#pragma once

namespace kolvar::engine {

struct Point {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace kolvar::engine
