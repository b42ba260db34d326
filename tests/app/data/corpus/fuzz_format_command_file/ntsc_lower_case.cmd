// RARU
// 2.000
fmtn Ntsc_m
name Ntsc_m
hrat 15734.266 hres 720 htot 858
scan 2
dvst 1
assg 1,0,1
fmte
