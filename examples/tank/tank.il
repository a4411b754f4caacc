(* Mixing tank: Start runs three batches. Each batch fills the tank up to the high level  *)
(* switch, mixes for 4 s and drains it down to the low level switch. The counter COUNT    *)
(* counts the batches (shown on the display); after the third the "All done" lamp lights. *)
(* Stop closes both valves at once; Start goes on with a new series.                      *)
(* Open the visualization "Mixing tank" and press Run.                                    *)
PROGRAM TANK
VAR
    LOW_LEVEL AT %IX0.0 : BOOL
    HIGH_LEVEL AT %IX0.1 : BOOL
    START_BTN AT %IX0.2 : BOOL
    STOP_BTN AT %IX0.3 : BOOL
    INFLOW AT %QX0.0 : BOOL
    OUTFLOW AT %QX0.1 : BOOL
    MIXER AT %QX0.2 : BOOL
    DONE_LAMP AT %QX0.3 : BOOL
    BATCHES AT %QW1 : INT
    STEP : INT
    DRAINED : BOOL
    START_EDGE : R_TRIG
    MIXING : TON
    COUNT : CTU
END_VAR

(* STEP: 0 idle, 1 filling, 2 mixing, 3 draining *)
    LD START_BTN
    ST START_EDGE.CLK
    CAL START_EDGE
    LD START_EDGE.Q
    AND( STEP
    EQ 0
    )
    JMPCN NOSTART
    LD 1
    ST STEP
NOSTART:
    LD STOP_BTN
    JMPCN FILLING
    LD 0
    ST STEP

FILLING:
    LD STEP
    EQ 1
    AND HIGH_LEVEL
    JMPCN MIX
    LD 2
    ST STEP

MIX:
    LD STEP
    EQ 2
    ST MIXING.IN
    LD T#4s
    ST MIXING.PT
    CAL MIXING
    LD MIXING.Q
    JMPCN DRAIN
    LD 3
    ST STEP

DRAIN:
    LD STEP
    EQ 3
    ANDN LOW_LEVEL
    ST DRAINED
(* A new series starts the count from 0 *)
    ST COUNT.CU
    LD START_EDGE.Q
    ST COUNT.R
    LD 3
    ST COUNT.PV
    CAL COUNT
    LD DRAINED
    JMPCN OUTPUTS
    LD 1
    ST STEP
    LD COUNT.Q
    JMPCN OUTPUTS
    LD 0
    ST STEP

OUTPUTS:
    LD COUNT.CV
    ST BATCHES
    LD STEP
    EQ 1
    ST INFLOW
    LD STEP
    EQ 2
    ST MIXER
    LD STEP
    EQ 3
    ST OUTFLOW
    LD COUNT.Q
    ST DONE_LAMP
END_PROGRAM
