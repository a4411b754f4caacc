(* Pedestrian crossing. Cars see green until a pedestrian presses the push button   *)
(* %IX0.0; after at least 5 s of car green the lights cycle once:                    *)
(*   phase 0  cars green,        walkers red    (at least 5 s, waits for the button) *)
(*   phase 1  cars yellow,       walkers red    3 s                                  *)
(*   phase 2  cars red,          walkers red    1 s                                  *)
(*   phase 3  cars red,          walkers green  5 s                                  *)
(*   phase 4  cars red,          walkers red    2 s                                  *)
(*   phase 5  cars red + yellow, walkers red    1 s                                  *)
(* Outputs: %QX0.0 car red, %QX0.1 car yellow, %QX0.2 car green,                     *)
(*          %QX0.3 walker red, %QX0.4 walker green.                                  *)
PROGRAM TrafficLight
VAR
    button AT %IX0.0 : BOOL
    car_red AT %QX0.0 : BOOL
    car_yellow AT %QX0.1 : BOOL
    car_green AT %QX0.2 : BOOL
    walk_red AT %QX0.3 : BOOL
    walk_green AT %QX0.4 : BOOL
    request : BOOL      (* button pressed, not yet served *)
    phase : INT         (* 0 to 5, see above *)
    duration : TIME     (* length of the current phase *)
    timer : TON         (* time spent in the current phase *)
END_VAR
    LD button
    S request

(* Length of the current phase. *)
    LD T#5s
    ST duration
    LD phase
    EQ 1
    JMPCN not1
    LD T#3s
    ST duration
not1:
    LD phase
    EQ 2
    OR( phase
    EQ 5
    )
    JMPCN not25
    LD T#1s
    ST duration
not25:
    LD phase
    EQ 4
    JMPCN timing
    LD T#2s
    ST duration

(* Run the phase timer; when it has elapsed go to the next phase. *)
timing:
    LD duration
    ST timer.PT
    LD TRUE
    ST timer.IN
    CAL timer
    LD timer.Q
    JMPCN lights
    LD phase
    EQ 0
    ANDN request
    JMPC lights         (* cars keep green until someone asks to cross *)
    LD phase
    ADD 1
    ST phase
    LT 6
    JMPC restart
    LD 0
    ST phase
restart:
    LD phase
    EQ 3
    R request           (* the walkers get their green: request served *)
    LD FALSE
    ST timer.IN
    CAL timer           (* a new phase starts with ET at 0 *)

(* Lamps of the current phase. *)
lights:
    LD phase
    EQ 0
    ST car_green
    LD phase
    EQ 1
    OR( phase
    EQ 5
    )
    ST car_yellow
    LD phase
    GE 2
    ST car_red
    LD phase
    EQ 3
    ST walk_green
    STN walk_red
END_PROGRAM
