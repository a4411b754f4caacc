(* Traffic light crossing: a main road that keeps green, and a side road that gets green    *)
(* when a car waits at its detector or the request button is pressed.                     *)
(* Open the visualization "Traffic light crossing" and press Run.                         *)
(*                                                                                        *)
(* Phases (STEP), each timed by the on-delay PHASE:                                       *)
(*   0 main green (at least 6 s, then until a request)   4 side green 6 s                 *)
(*   1 main yellow 3 s                                    5 side yellow 3 s                *)
(*   2 all red 1 s                                        6 all red 1 s                    *)
(*   3 side red+yellow 1 s                                7 main red+yellow 1 s            *)
(* The night switch flashes both yellows (FLASH, 0.5 s on / 0.5 s off).                   *)
PROGRAM CROSSING
VAR
    CAR_WAITING AT %IX0.0 : BOOL
    REQUEST AT %IX0.1 : BOOL
    NIGHT AT %IX0.2 : BOOL
    MAIN_RED AT %QX0.0 : BOOL
    MAIN_YELLOW AT %QX0.1 : BOOL
    MAIN_GREEN AT %QX0.2 : BOOL
    SIDE_RED AT %QX0.3 : BOOL
    SIDE_YELLOW AT %QX0.4 : BOOL
    SIDE_GREEN AT %QX0.5 : BOOL
    WAIT_LAMP AT %QX0.6 : BOOL
    STEP : INT
    DEMAND : BOOL
    PHASE : TON
    FLASH : TON
    FLASH_ON : BOOL
END_VAR

(* Flasher: FLASH restarts itself, FLASH_ON toggles every 0.5 s *)
    LDN FLASH.Q
    ST FLASH.IN
    LD T#500ms
    ST FLASH.PT
    CAL FLASH
    LD FLASH.Q
    XOR FLASH_ON
    ST FLASH_ON

    LD NIGHT
    JMPCN DAY
(* Night: only the yellows flash; the day program starts again with all red *)
    LD FLASH_ON
    ST MAIN_YELLOW
    ST SIDE_YELLOW
    LD FALSE
    ST MAIN_RED
    ST MAIN_GREEN
    ST SIDE_RED
    ST SIDE_GREEN
    ST DEMAND
    ST WAIT_LAMP
    ST PHASE.IN
    CAL PHASE
    LD 6
    ST STEP
    RET

DAY:
(* A waiting car or the button registers a request, cleared when the side road gets green *)
    LD CAR_WAITING
    OR REQUEST
    OR DEMAND
    ST DEMAND
    LD STEP
    EQ 4
    JMPCN KEEP
    LD FALSE
    ST DEMAND
KEEP:
    LD DEMAND
    ST WAIT_LAMP

(* Duration of the current phase *)
    LD T#1s
    ST PHASE.PT
    LD STEP
    EQ 0
    JMPCN NOT0
    LD T#6s
    ST PHASE.PT
NOT0:
    LD STEP
    EQ 4
    JMPCN NOT4
    LD T#6s
    ST PHASE.PT
NOT4:
    LD STEP
    EQ 1
    JMPC YELLOW
    LD STEP
    EQ 5
    JMPCN TIMING
YELLOW:
    LD T#3s
    ST PHASE.PT

TIMING:
    LD TRUE
    ST PHASE.IN
    CAL PHASE
(* Next phase when the time is up; main green waits for a request *)
    LD PHASE.Q
    JMPCN LIGHTS
    LD STEP
    NE 0
    OR DEMAND
    JMPCN LIGHTS
    LD FALSE
    ST PHASE.IN
    CAL PHASE
    LD STEP
    ADD 1
    ST STEP
    LT 8
    JMPC LIGHTS
    LD 0
    ST STEP

LIGHTS:
    LD STEP
    EQ 0
    ST MAIN_GREEN
    LD STEP
    EQ 1
    ST MAIN_YELLOW
    LD STEP
    EQ 7
    OR MAIN_YELLOW
    ST MAIN_YELLOW
    LD STEP
    GE 2
    ST MAIN_RED
    LD STEP
    EQ 4
    ST SIDE_GREEN
    LD STEP
    EQ 3
    ST SIDE_YELLOW
    LD STEP
    EQ 5
    OR SIDE_YELLOW
    ST SIDE_YELLOW
    LD SIDE_GREEN
    OR( STEP
    EQ 5
    )
    NOT
    ST SIDE_RED
END_PROGRAM
