#include "core/screen/LineGlyphPainter.h"

#include "RecordingPainter.h"
#include "core/screen/CGlobalFunction.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace qx44 {
namespace {

using screentest::RecordingPainter;

// Red lines on blue: "f" is the pen (foreground), "b" the cell's fill; the bevel pieces use the
// fixed white "w", grey "g" and dark "d" instead of the pen.
constexpr int kAttribute = CGlobalFunction::MakeAttr(210, 252);

constexpr PixelRect kCell12x20{0, 0, 12, 20};
// An odd-sized cell away from the origin: its centre is rounded towards the bottom right.
constexpr PixelRect kCell13x21{13, 21, 26, 42};

// One piece per line: code, cell, then every call the piece makes. A line covers its first point
// and stops one pixel short of its second, so "0,10>12,10" covers x = 0 to 11. Strokes from the
// centre to the top or left edge run to one pixel beyond the edge (-1 in a cell at the origin) so
// that they reach the edge pixel and join the neighbouring cell.
constexpr const char* kStrokes = R"(
128 12x20 fill 0,0,12,20 b | line 5,10>5,-1 f | line 7,10>7,-1 f | line 6,9>12,9 f | line 6,11>12,11 f
129 12x20 fill 0,0,12,20 b | line 5,10>5,20 f | line 7,10>7,20 f | line 6,9>12,9 f | line 6,11>12,11 f
130 12x20 fill 0,0,12,20 b | line 5,10>5,-1 f | line 7,10>7,-1 f | line 6,9>-1,9 f | line 6,11>-1,11 f
131 12x20 fill 0,0,12,20 b | line 6,9>-1,9 f | line 6,11>-1,11 f | line 5,10>5,20 f | line 7,10>7,20 f
132 12x20 fill 0,0,12,20 b | line 0,9>12,9 f | line 0,11>12,11 f
133 12x20 fill 0,0,12,20 b | line 5,0>5,20 f | line 7,0>7,20 f
179 12x20 fill 0,0,12,20 b | line 6,0>6,20 f
180 12x20 fill 0,0,12,20 b | line 6,0>6,20 f | line 6,10>-1,10 f
185 12x20 fill 0,0,12,20 b | line 5,0>5,20 f | line 7,0>7,20 f | line 6,9>-1,9 f | line 6,11>-1,11 f
186 12x20 fill 0,0,12,20 b | line 5,0>5,20 f | line 7,0>7,20 f
187 12x20 fill 0,0,12,20 b | line 6,9>-1,9 f | line 6,11>-1,11 f | line 5,10>5,20 f | line 7,10>7,20 f
188 12x20 fill 0,0,12,20 b | line 5,10>5,-1 f | line 7,10>7,-1 f | line 6,9>-1,9 f | line 6,11>-1,11 f
191 12x20 fill 0,0,12,20 b | line 6,10>-1,10 f | line 6,10>6,20 f
192 12x20 fill 0,0,12,20 b | line 6,10>6,-1 f | line 6,10>12,10 f
193 12x20 fill 0,0,12,20 b | line 0,10>12,10 f | line 6,10>6,-1 f
194 12x20 fill 0,0,12,20 b | line 0,10>12,10 f | line 6,10>6,20 f
195 12x20 fill 0,0,12,20 b | line 6,0>6,20 f | line 6,10>12,10 f
196 12x20 fill 0,0,12,20 b | line 0,10>12,10 f
197 12x20 fill 0,0,12,20 b | line 6,0>6,20 f | line 0,10>12,10 f
200 12x20 fill 0,0,12,20 b | line 5,10>5,-1 f | line 7,10>7,-1 f | line 6,9>12,9 f | line 6,11>12,11 f
201 12x20 fill 0,0,12,20 b | line 5,10>5,20 f | line 7,10>7,20 f | line 6,9>12,9 f | line 6,11>12,11 f
202 12x20 fill 0,0,12,20 b | line 0,9>12,9 f | line 0,11>12,11 f | line 5,10>5,-1 f | line 7,10>7,-1 f
203 12x20 fill 0,0,12,20 b | line 0,9>12,9 f | line 0,11>12,11 f | line 5,10>5,20 f | line 7,10>7,20 f
204 12x20 fill 0,0,12,20 b | line 5,0>5,20 f | line 7,0>7,20 f | line 6,9>12,9 f | line 6,11>12,11 f
205 12x20 fill 0,0,12,20 b | line 0,9>12,9 f | line 0,11>12,11 f
206 12x20 fill 0,0,12,20 b | line 5,0>5,20 f | line 7,0>7,20 f | line 0,9>12,9 f | line 0,11>12,11 f
217 12x20 fill 0,0,12,20 b | line 6,10>6,-1 f | line 6,10>-1,10 f
218 12x20 fill 0,0,12,20 b | line 6,10>6,20 f | line 6,10>12,10 f
2048 12x20 fill 0,0,12,20 b | line 12,0>12,20 g | line 11,0>11,20 g | line 10,0>10,20 w | line 9,0>9,20 w
2049 12x20 fill 0,0,12,20 b | line 0,0>0,20 g | line 1,0>1,20 g | line 2,0>2,20 d
2050 12x20 fill 0,0,12,20 b | line 0,0>0,20 g | line 1,0>1,20 g | line 2,0>2,20 d | line 12,0>12,20 g | line 11,0>11,20 g | line 10,0>10,20 w | line 9,0>9,20 w
2051 12x20 fill 0,0,12,20 b | line 0,20>12,20 g | line 0,19>12,19 g | line 0,18>12,18 w | line 0,17>12,17 w
2052 12x20 fill 0,0,12,20 b | line 0,0>12,0 g | line 0,1>12,1 g | line 0,2>12,2 d
2053 12x20 fill 0,0,12,20 b | line 0,0>12,0 g | line 0,1>12,1 g | line 0,2>12,2 d | line 0,20>12,20 g | line 0,19>12,19 g | line 0,18>12,18 w | line 0,17>12,17 w
2054 12x20 fill 0,0,12,20 b | fill 10,18,12,20 w
2055 12x20 fill 0,0,12,20 b | fill 0,18,2,20 w | line 1,19>1,20 g | line 2,18>2,20 d
2056 12x20 fill 0,0,12,20 b | fill 0,18,2,20 w | line 1,19>1,20 g | line 2,18>2,20 d | fill 10,18,12,20 w
2057 12x20 fill 0,0,12,20 b | fill 10,0,12,2 w | line 11,1>12,1 g | line 10,2>12,2 d
2058 12x20 fill 0,0,12,20 b | line 0,1>1,1 g | line 0,2>2,2 d | line 0,0>0,1 g | line 1,0>1,2 g | line 2,0>2,3 d
2059 12x20 fill 0,0,12,20 b | line 0,1>1,1 g | line 0,2>2,2 d | line 0,0>0,1 g | line 1,0>1,2 g | line 2,0>2,3 d | fill 10,0,12,2 w | line 11,1>12,1 g | line 10,2>12,2 d
2060 12x20 fill 0,0,12,20 b | line 0,1>1,1 g | line 0,2>2,2 d | line 0,0>0,1 g | line 1,0>1,2 g | line 2,0>2,3 d | fill 0,18,2,20 w | line 1,19>1,20 g | line 2,18>2,20 d | fill 10,0,12,2 w | line 11,1>12,1 g | line 10,2>12,2 d | fill 10,18,12,20 w
2061 12x20 fill 0,0,12,20 b | fill 10,0,12,2 w | line 11,1>12,1 g | line 10,2>12,2 d | fill 10,18,12,20 w
2062 12x20 fill 0,0,12,20 b | line 0,1>1,1 g | line 0,2>2,2 d | line 0,0>0,1 g | line 1,0>1,2 g | line 2,0>2,3 d | fill 0,18,2,20 w | line 1,19>1,20 g | line 2,18>2,20 d
2112 12x20 fill 0,0,12,20 b | line 9,0>9,20 g | line 10,0>10,20 g | line 11,0>11,20 d
2113 12x20 fill 0,0,12,20 b | line 0,0>0,20 g | line 1,0>1,20 g | line 2,0>2,20 w | line 3,0>3,20 w
2114 12x20 fill 0,0,12,20 b | line 0,0>0,20 g | line 1,0>1,20 g | line 2,0>2,20 w | line 3,0>3,20 w | line 9,0>9,20 g | line 10,0>10,20 g | line 11,0>11,20 d
2115 12x20 fill 0,0,12,20 b | line 0,17>12,17 g | line 0,18>12,18 g | line 0,19>12,19 d
2116 12x20 fill 0,0,12,20 b | line 0,0>12,0 g | line 0,1>12,1 g | line 0,2>12,2 w | line 0,3>12,3 w
2117 12x20 fill 0,0,12,20 b | line 0,0>12,0 g | line 0,1>12,1 g | line 0,2>12,2 w | line 0,3>12,3 w | line 0,17>12,17 g | line 0,18>12,18 g | line 0,19>12,19 d
2118 12x20 fill 0,0,12,20 b | line 10,19>11,19 g | line 10,20>12,20 d | line 10,18>10,19 g | line 11,18>11,20 g | line 12,18>12,21 d
2119 12x20 fill 0,0,12,20 b | fill 0,18,2,20 w | line 0,18>2,18 g | line 0,19>1,19 g
2120 12x20 fill 0,0,12,20 b | fill 0,18,2,20 w | line 0,18>2,18 g | line 0,19>1,19 g | line 10,19>11,19 g | line 10,20>12,20 d | line 10,18>10,19 g | line 11,18>11,20 g | line 12,18>12,21 d
2121 12x20 fill 0,0,12,20 b | fill 10,0,12,2 w | line 10,-1>10,2 g | line 11,-1>11,1 g | line 12,-1>12,0 d
2122 12x20 fill 0,0,12,20 b | fill 0,0,2,2 w
2123 12x20 fill 0,0,12,20 b | fill 0,0,2,2 w | fill 10,0,12,2 w | line 10,-1>10,2 g | line 11,-1>11,1 g | line 12,-1>12,0 d
2124 12x20 fill 0,0,12,20 b | fill 0,0,2,2 w | fill 10,0,12,2 w | line 10,-1>10,2 g | line 11,-1>11,1 g | line 12,-1>12,0 d | fill 0,18,2,20 w | line 0,18>2,18 g | line 0,19>1,19 g | line 10,19>11,19 g | line 10,20>12,20 d | line 10,18>10,19 g | line 11,18>11,20 g | line 12,18>12,21 d
2125 12x20 fill 0,0,12,20 b | fill 10,0,12,2 w | line 10,-1>10,2 g | line 11,-1>11,1 g | line 12,-1>12,0 d | line 10,19>11,19 g | line 10,20>12,20 d | line 10,18>10,19 g | line 11,18>11,20 g | line 12,18>12,21 d
2126 12x20 fill 0,0,12,20 b | fill 0,0,2,2 w | fill 0,18,2,20 w | line 0,18>2,18 g | line 0,19>1,19 g
128 13x21 fill 13,21,26,42 b | line 19,32>19,20 f | line 21,32>21,20 f | line 20,31>26,31 f | line 20,33>26,33 f
129 13x21 fill 13,21,26,42 b | line 19,32>19,42 f | line 21,32>21,42 f | line 20,31>26,31 f | line 20,33>26,33 f
130 13x21 fill 13,21,26,42 b | line 19,32>19,20 f | line 21,32>21,20 f | line 20,31>12,31 f | line 20,33>12,33 f
131 13x21 fill 13,21,26,42 b | line 20,31>12,31 f | line 20,33>12,33 f | line 19,32>19,42 f | line 21,32>21,42 f
132 13x21 fill 13,21,26,42 b | line 13,31>26,31 f | line 13,33>26,33 f
133 13x21 fill 13,21,26,42 b | line 19,21>19,42 f | line 21,21>21,42 f
179 13x21 fill 13,21,26,42 b | line 20,21>20,42 f
180 13x21 fill 13,21,26,42 b | line 20,21>20,42 f | line 20,32>12,32 f
185 13x21 fill 13,21,26,42 b | line 19,21>19,42 f | line 21,21>21,42 f | line 20,31>12,31 f | line 20,33>12,33 f
186 13x21 fill 13,21,26,42 b | line 19,21>19,42 f | line 21,21>21,42 f
187 13x21 fill 13,21,26,42 b | line 20,31>12,31 f | line 20,33>12,33 f | line 19,32>19,42 f | line 21,32>21,42 f
188 13x21 fill 13,21,26,42 b | line 19,32>19,20 f | line 21,32>21,20 f | line 20,31>12,31 f | line 20,33>12,33 f
191 13x21 fill 13,21,26,42 b | line 20,32>12,32 f | line 20,32>20,42 f
192 13x21 fill 13,21,26,42 b | line 20,32>20,20 f | line 20,32>26,32 f
193 13x21 fill 13,21,26,42 b | line 13,32>26,32 f | line 20,32>20,20 f
194 13x21 fill 13,21,26,42 b | line 13,32>26,32 f | line 20,32>20,42 f
195 13x21 fill 13,21,26,42 b | line 20,21>20,42 f | line 20,32>26,32 f
196 13x21 fill 13,21,26,42 b | line 13,32>26,32 f
197 13x21 fill 13,21,26,42 b | line 20,21>20,42 f | line 13,32>26,32 f
200 13x21 fill 13,21,26,42 b | line 19,32>19,20 f | line 21,32>21,20 f | line 20,31>26,31 f | line 20,33>26,33 f
201 13x21 fill 13,21,26,42 b | line 19,32>19,42 f | line 21,32>21,42 f | line 20,31>26,31 f | line 20,33>26,33 f
202 13x21 fill 13,21,26,42 b | line 13,31>26,31 f | line 13,33>26,33 f | line 19,32>19,20 f | line 21,32>21,20 f
203 13x21 fill 13,21,26,42 b | line 13,31>26,31 f | line 13,33>26,33 f | line 19,32>19,42 f | line 21,32>21,42 f
204 13x21 fill 13,21,26,42 b | line 19,21>19,42 f | line 21,21>21,42 f | line 20,31>26,31 f | line 20,33>26,33 f
205 13x21 fill 13,21,26,42 b | line 13,31>26,31 f | line 13,33>26,33 f
206 13x21 fill 13,21,26,42 b | line 19,21>19,42 f | line 21,21>21,42 f | line 13,31>26,31 f | line 13,33>26,33 f
217 13x21 fill 13,21,26,42 b | line 20,32>20,20 f | line 20,32>12,32 f
218 13x21 fill 13,21,26,42 b | line 20,32>20,42 f | line 20,32>26,32 f
2048 13x21 fill 13,21,26,42 b | line 26,21>26,42 g | line 25,21>25,42 g | line 24,21>24,42 w | line 23,21>23,42 w
2049 13x21 fill 13,21,26,42 b | line 13,21>13,42 g | line 14,21>14,42 g | line 15,21>15,42 d
2050 13x21 fill 13,21,26,42 b | line 13,21>13,42 g | line 14,21>14,42 g | line 15,21>15,42 d | line 26,21>26,42 g | line 25,21>25,42 g | line 24,21>24,42 w | line 23,21>23,42 w
2051 13x21 fill 13,21,26,42 b | line 13,42>26,42 g | line 13,41>26,41 g | line 13,40>26,40 w | line 13,39>26,39 w
2052 13x21 fill 13,21,26,42 b | line 13,21>26,21 g | line 13,22>26,22 g | line 13,23>26,23 d
2053 13x21 fill 13,21,26,42 b | line 13,21>26,21 g | line 13,22>26,22 g | line 13,23>26,23 d | line 13,42>26,42 g | line 13,41>26,41 g | line 13,40>26,40 w | line 13,39>26,39 w
2054 13x21 fill 13,21,26,42 b | fill 24,40,26,42 w
2055 13x21 fill 13,21,26,42 b | fill 13,40,15,42 w | line 14,41>14,42 g | line 15,40>15,42 d
2056 13x21 fill 13,21,26,42 b | fill 13,40,15,42 w | line 14,41>14,42 g | line 15,40>15,42 d | fill 24,40,26,42 w
2057 13x21 fill 13,21,26,42 b | fill 24,21,26,23 w | line 25,22>26,22 g | line 24,23>26,23 d
2058 13x21 fill 13,21,26,42 b | line 13,22>14,22 g | line 13,23>15,23 d | line 13,21>13,22 g | line 14,21>14,23 g | line 15,21>15,24 d
2059 13x21 fill 13,21,26,42 b | line 13,22>14,22 g | line 13,23>15,23 d | line 13,21>13,22 g | line 14,21>14,23 g | line 15,21>15,24 d | fill 24,21,26,23 w | line 25,22>26,22 g | line 24,23>26,23 d
2060 13x21 fill 13,21,26,42 b | line 13,22>14,22 g | line 13,23>15,23 d | line 13,21>13,22 g | line 14,21>14,23 g | line 15,21>15,24 d | fill 13,40,15,42 w | line 14,41>14,42 g | line 15,40>15,42 d | fill 24,21,26,23 w | line 25,22>26,22 g | line 24,23>26,23 d | fill 24,40,26,42 w
2061 13x21 fill 13,21,26,42 b | fill 24,21,26,23 w | line 25,22>26,22 g | line 24,23>26,23 d | fill 24,40,26,42 w
2062 13x21 fill 13,21,26,42 b | line 13,22>14,22 g | line 13,23>15,23 d | line 13,21>13,22 g | line 14,21>14,23 g | line 15,21>15,24 d | fill 13,40,15,42 w | line 14,41>14,42 g | line 15,40>15,42 d
2112 13x21 fill 13,21,26,42 b | line 23,21>23,42 g | line 24,21>24,42 g | line 25,21>25,42 d
2113 13x21 fill 13,21,26,42 b | line 13,21>13,42 g | line 14,21>14,42 g | line 15,21>15,42 w | line 16,21>16,42 w
2114 13x21 fill 13,21,26,42 b | line 13,21>13,42 g | line 14,21>14,42 g | line 15,21>15,42 w | line 16,21>16,42 w | line 23,21>23,42 g | line 24,21>24,42 g | line 25,21>25,42 d
2115 13x21 fill 13,21,26,42 b | line 13,39>26,39 g | line 13,40>26,40 g | line 13,41>26,41 d
2116 13x21 fill 13,21,26,42 b | line 13,21>26,21 g | line 13,22>26,22 g | line 13,23>26,23 w | line 13,24>26,24 w
2117 13x21 fill 13,21,26,42 b | line 13,21>26,21 g | line 13,22>26,22 g | line 13,23>26,23 w | line 13,24>26,24 w | line 13,39>26,39 g | line 13,40>26,40 g | line 13,41>26,41 d
2118 13x21 fill 13,21,26,42 b | line 24,41>25,41 g | line 24,42>26,42 d | line 24,40>24,41 g | line 25,40>25,42 g | line 26,40>26,43 d
2119 13x21 fill 13,21,26,42 b | fill 13,40,15,42 w | line 13,40>15,40 g | line 13,41>14,41 g
2120 13x21 fill 13,21,26,42 b | fill 13,40,15,42 w | line 13,40>15,40 g | line 13,41>14,41 g | line 24,41>25,41 g | line 24,42>26,42 d | line 24,40>24,41 g | line 25,40>25,42 g | line 26,40>26,43 d
2121 13x21 fill 13,21,26,42 b | fill 24,21,26,23 w | line 24,20>24,23 g | line 25,20>25,22 g | line 26,20>26,21 d
2122 13x21 fill 13,21,26,42 b | fill 13,21,15,23 w
2123 13x21 fill 13,21,26,42 b | fill 13,21,15,23 w | fill 24,21,26,23 w | line 24,20>24,23 g | line 25,20>25,22 g | line 26,20>26,21 d
2124 13x21 fill 13,21,26,42 b | fill 13,21,15,23 w | fill 24,21,26,23 w | line 24,20>24,23 g | line 25,20>25,22 g | line 26,20>26,21 d | fill 13,40,15,42 w | line 13,40>15,40 g | line 13,41>14,41 g | line 24,41>25,41 g | line 24,42>26,42 d | line 24,40>24,41 g | line 25,40>25,42 g | line 26,40>26,43 d
2125 13x21 fill 13,21,26,42 b | fill 24,21,26,23 w | line 24,20>24,23 g | line 25,20>25,22 g | line 26,20>26,21 d | line 24,41>25,41 g | line 24,42>26,42 d | line 24,40>24,41 g | line 25,40>25,42 g | line 26,40>26,43 d
2126 13x21 fill 13,21,26,42 b | fill 13,21,15,23 w | fill 13,40,15,42 w | line 13,40>15,40 g | line 13,41>14,41 g
)";

struct StrokeCase {
    std::uint32_t code = 0;
    PixelRect cell;
    std::string calls;
};

std::vector<StrokeCase> StrokeCases() {
    std::vector<StrokeCase> cases;
    std::istringstream table(kStrokes);
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty()) {
            continue;
        }
        std::istringstream fields(line);
        StrokeCase stroke;
        std::string cell;
        fields >> stroke.code >> cell;
        stroke.cell = cell == "12x20" ? kCell12x20 : kCell13x21;
        std::getline(fields >> std::ws, stroke.calls);
        cases.push_back(stroke);
    }
    return cases;
}

class LineGlyphStrokes : public testing::TestWithParam<StrokeCase> {};

TEST_P(LineGlyphStrokes, DrawExactlyTheStationsStrokes) {
    RecordingPainter painter;
    painter.Name({0, 0, 255}, "b");
    painter.Name({255, 0, 0}, "f");
    painter.Name({255, 255, 255}, "w");
    painter.Name({128, 128, 128}, "g");
    painter.Name({25, 25, 25}, "d");
    ASSERT_TRUE(LineGlyphPainter::IsLineCode(GetParam().code));
    LineGlyphPainter::Paint(GetParam().code, GetParam().cell, kAttribute, painter);
    EXPECT_EQ(painter.Joined(), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(EveryLineCode, LineGlyphStrokes, testing::ValuesIn(StrokeCases()),
                         [](const auto& info) {
                             return std::to_string(info.param.code) + "_" +
                                    std::to_string(info.param.cell.Width()) + "x" +
                                    std::to_string(info.param.cell.Height());
                         });

TEST(LineGlyphPainter, OnlyTheListedCodesAreLineCodes) {
    std::vector<std::uint32_t> lineCodes;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
        if (LineGlyphPainter::IsLineCode(code)) {
            lineCodes.push_back(code);
        }
    }
    std::vector<std::uint32_t> expected;
    for (const StrokeCase& stroke : StrokeCases()) {
        if (stroke.cell == kCell12x20) {
            expected.push_back(stroke.code);
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lineCodes, expected);
}

// In a cell too small for its strokes a piece draws what still has length and nothing else.
TEST(LineGlyphPainter, StrokesWithoutLengthAreNotDrawn) {
    RecordingPainter painter;
    LineGlyphPainter::Paint(196, {5, 5, 5, 5}, kAttribute, painter);
    EXPECT_EQ(painter.Joined(), "fill 5,5,5,5 0000ff");
}

} // namespace
} // namespace qx44
