%
(POCKET 40 X 25, 6 MM END MILL)
(UNITS: INCHES)
g20 g90 g17
t1 m06
m03 s2400
g00 z0.25
g00 x0.1 y0.1
g01 z-0.05 f12
g01 x1.475 f24 (first pass)
g01 y0.884
g02 x1.375 y0.984 i-0.1 j0
g01 x0.2
g03 x0.1 y0.884 i0 j-0.1
g01 y0.1
/m00 (optional stop: check depth)
g00 z0.25
m05
m30
%
