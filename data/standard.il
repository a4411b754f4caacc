(* Standard function blocks of IEC 61131-3, in the IL this compiler accepts.             *)
(* The timers read the PLC clock with GET_TIME: milliseconds of the day, 0..86399999,   *)
(* wrapping to 0 at midnight. They add up the time that passed since their last call,   *)
(* correcting the wrap, so PT may be any TIME value as long as an instance is called    *)
(* at least once a day while it is timing.                                              *)

(* R_TRIG: Q is TRUE for one call when CLK changes from FALSE to TRUE. *)
FUNCTION_BLOCK R_TRIG
VAR_INPUT
    CLK : BOOL
END_VAR
VAR_OUTPUT
    Q : BOOL
END_VAR
VAR
    M : BOOL
END_VAR
    LD CLK
    ANDN M
    ST Q
    LD CLK
    ST M
END_FUNCTION_BLOCK

(* F_TRIG: Q is TRUE for one call when CLK changes from TRUE to FALSE.                  *)
(* IEC 61131-3 keeps M := NOT CLK with M TRUE at the start; declarations here have no   *)
(* initial values, so the block keeps the previous CLK instead (M = NOT M_CLK), which   *)
(* starts FALSE: a first call with CLK FALSE reports no edge.                           *)
FUNCTION_BLOCK F_TRIG
VAR_INPUT
    CLK : BOOL
END_VAR
VAR_OUTPUT
    Q : BOOL
END_VAR
VAR
    M_CLK : BOOL
END_VAR
    LDN CLK
    AND M_CLK
    ST Q
    LD CLK
    ST M_CLK
END_FUNCTION_BLOCK

(* RS: reset-dominant bistable, Q1 := NOT R1 AND (S OR Q1). *)
FUNCTION_BLOCK RS
VAR_INPUT
    S : BOOL
    R1 : BOOL
END_VAR
VAR_OUTPUT
    Q1 : BOOL
END_VAR
    LD S
    OR Q1
    ANDN R1
    ST Q1
END_FUNCTION_BLOCK

(* SR: set-dominant bistable, Q1 := S1 OR (NOT R AND Q1). *)
FUNCTION_BLOCK SR
VAR_INPUT
    S1 : BOOL
    R : BOOL
END_VAR
VAR_OUTPUT
    Q1 : BOOL
END_VAR
    LDN R
    AND Q1
    OR S1
    ST Q1
END_FUNCTION_BLOCK

(* CTU: up counter. R sets CV to 0; otherwise a rising edge of CU adds 1 while CV is below *)
(* the INT maximum. Q := CV >= PV.                                                        *)
FUNCTION_BLOCK CTU
VAR_INPUT
    CU : BOOL
    R : BOOL
    PV : INT
END_VAR
VAR_OUTPUT
    Q : BOOL
    CV : INT
END_VAR
VAR
    CU_OLD : BOOL
END_VAR
    LD R
    JMPCN COUNT
    LD 0
    ST CV
    JMP DONE
COUNT:
    LD CU
    ANDN CU_OLD
    JMPCN DONE
    LD CV
    LT 32767
    JMPCN DONE
    LD CV
    ADD 1
    ST CV
DONE:
    LD CU
    ST CU_OLD
    LD CV
    GE PV
    ST Q
END_FUNCTION_BLOCK

(* CTD: down counter. LD loads PV into CV; otherwise a rising edge of CD subtracts 1 while *)
(* CV is above the INT minimum. Q := CV <= 0.                                             *)
FUNCTION_BLOCK CTD
VAR_INPUT
    CD : BOOL
    LD : BOOL
    PV : INT
END_VAR
VAR_OUTPUT
    Q : BOOL
    CV : INT
END_VAR
VAR
    CD_OLD : BOOL
END_VAR
    LD LD
    JMPCN COUNT
    LD PV
    ST CV
    JMP DONE
COUNT:
    LD CD
    ANDN CD_OLD
    JMPCN DONE
    LD CV
    GT INT#-32768
    JMPCN DONE
    LD CV
    SUB 1
    ST CV
DONE:
    LD CD
    ST CD_OLD
    LD CV
    LE 0
    ST Q
END_FUNCTION_BLOCK

(* CTUD: up/down counter. R sets CV to 0, else LD loads PV, else a rising edge of CU adds *)
(* 1 and a rising edge of CD subtracts 1 (both at once: no change), within the INT range. *)
(* QU := CV >= PV, QD := CV <= 0.                                                         *)
FUNCTION_BLOCK CTUD
VAR_INPUT
    CU : BOOL
    CD : BOOL
    R : BOOL
    LD : BOOL
    PV : INT
END_VAR
VAR_OUTPUT
    QU : BOOL
    QD : BOOL
    CV : INT
END_VAR
VAR
    CU_OLD : BOOL
    CD_OLD : BOOL
    CU_EDGE : BOOL
    CD_EDGE : BOOL
END_VAR
    LD CU
    ANDN CU_OLD
    ST CU_EDGE
    LD CD
    ANDN CD_OLD
    ST CD_EDGE
    LD R
    JMPCN LOAD
    LD 0
    ST CV
    JMP DONE
LOAD:
    LD LD
    JMPCN UP
    LD PV
    ST CV
    JMP DONE
UP:
    LD CU_EDGE
    AND CD_EDGE
    JMPC DONE
    LD CU_EDGE
    JMPCN DOWN
    LD CV
    LT 32767
    JMPCN DONE
    LD CV
    ADD 1
    ST CV
    JMP DONE
DOWN:
    LD CD_EDGE
    JMPCN DONE
    LD CV
    GT INT#-32768
    JMPCN DONE
    LD CV
    SUB 1
    ST CV
DONE:
    LD CU
    ST CU_OLD
    LD CD
    ST CD_OLD
    LD CV
    GE PV
    ST QU
    LD CV
    LE 0
    ST QD
END_FUNCTION_BLOCK

(* TON: on delay. While IN is TRUE, ET counts up to PT and Q becomes TRUE when ET reaches *)
(* PT; IN FALSE resets Q and ET.                                                         *)
FUNCTION_BLOCK TON
VAR_INPUT
    IN : BOOL
    PT : TIME
END_VAR
VAR_OUTPUT
    Q : BOOL
    ET : TIME
END_VAR
VAR
    RUNNING : BOOL
    NOW : TIME
    LAST : TIME
    DELTA : TIME
END_VAR
    LD IN
    JMPC TIMING
    LD FALSE
    ST Q
    ST RUNNING
    LD T#0ms
    ST ET
    RET
TIMING:
    GET_TIME
    ST NOW
    LD RUNNING
    JMPC ADVANCE
    LD NOW
    ST LAST
    LD TRUE
    ST RUNNING
    LD T#0ms
    ST ET
ADVANCE:
    LD ET
    GE PT
    JMPC ELAPSED
    LD NOW
    SUB LAST
    ST DELTA
    GE T#0ms
    JMPC NOWRAP
    LD DELTA
    ADD T#1d
    ST DELTA
NOWRAP:
    LD NOW
    ST LAST
    LD PT
    SUB ET
    LE DELTA
    JMPC ELAPSED
    LD ET
    ADD DELTA
    ST ET
    LD FALSE
    ST Q
    RET
ELAPSED:
    LD PT
    ST ET
    LD TRUE
    ST Q
END_FUNCTION_BLOCK

(* TOF: off delay. IN TRUE sets Q and resets ET; after IN falls, ET counts up to PT and  *)
(* Q becomes FALSE when ET reaches PT. ET keeps PT until IN is TRUE again.              *)
FUNCTION_BLOCK TOF
VAR_INPUT
    IN : BOOL
    PT : TIME
END_VAR
VAR_OUTPUT
    Q : BOOL
    ET : TIME
END_VAR
VAR
    RUNNING : BOOL
    NOW : TIME
    LAST : TIME
    DELTA : TIME
END_VAR
    LD IN
    JMPCN TIMING
    LD TRUE
    ST Q
    LD FALSE
    ST RUNNING
    LD T#0ms
    ST ET
    RET
TIMING:
    LD Q
    JMPCN IDLE
    GET_TIME
    ST NOW
    LD RUNNING
    JMPC ADVANCE
    LD NOW
    ST LAST
    LD TRUE
    ST RUNNING
ADVANCE:
    LD ET
    GE PT
    JMPC ELAPSED
    LD NOW
    SUB LAST
    ST DELTA
    GE T#0ms
    JMPC NOWRAP
    LD DELTA
    ADD T#1d
    ST DELTA
NOWRAP:
    LD NOW
    ST LAST
    LD PT
    SUB ET
    LE DELTA
    JMPC ELAPSED
    LD ET
    ADD DELTA
    ST ET
    RET
ELAPSED:
    LD PT
    ST ET
    LD FALSE
    ST Q
    ST RUNNING
IDLE:
END_FUNCTION_BLOCK

(* TP: pulse. A rising edge of IN while no pulse runs sets Q for the time PT; ET counts  *)
(* up to PT and stays there while IN is TRUE; with IN FALSE after the pulse ET is 0.    *)
FUNCTION_BLOCK TP
VAR_INPUT
    IN : BOOL
    PT : TIME
END_VAR
VAR_OUTPUT
    Q : BOOL
    ET : TIME
END_VAR
VAR
    RUNNING : BOOL
    IN_OLD : BOOL
    NOW : TIME
    LAST : TIME
    DELTA : TIME
END_VAR
    GET_TIME
    ST NOW
    LD RUNNING
    JMPC ADVANCE
    LD IN
    ANDN IN_OLD
    JMPCN IDLE
    LD NOW
    ST LAST
    LD TRUE
    ST RUNNING
    ST Q
    LD T#0ms
    ST ET
ADVANCE:
    LD ET
    GE PT
    JMPC ELAPSED
    LD NOW
    SUB LAST
    ST DELTA
    GE T#0ms
    JMPC NOWRAP
    LD DELTA
    ADD T#1d
    ST DELTA
NOWRAP:
    LD NOW
    ST LAST
    LD PT
    SUB ET
    LE DELTA
    JMPC ELAPSED
    LD ET
    ADD DELTA
    ST ET
    JMP EDGE
ELAPSED:
    LD PT
    ST ET
    LD FALSE
    ST Q
    ST RUNNING
    JMP EDGE
IDLE:
    LD IN
    JMPC EDGE
    LD T#0ms
    ST ET
EDGE:
    LD IN
    ST IN_OLD
END_FUNCTION_BLOCK

(* RTC: real-time clock over the time of day, within the supported types: PDT and CDT are *)
(* TIME values, milliseconds since midnight (T#0ms .. T#23h59m59s999ms) instead of        *)
(* DATE_AND_TIME. A rising edge of IN starts the clock at PDT; while IN is TRUE, CDT runs *)
(* with the PLC clock and wraps to T#0ms at midnight, and Q is TRUE. While IN is FALSE,   *)
(* Q is FALSE and CDT shows PDT.                                                          *)
FUNCTION_BLOCK RTC
VAR_INPUT
    IN : BOOL
    PDT : TIME
END_VAR
VAR_OUTPUT
    Q : BOOL
    CDT : TIME
END_VAR
VAR
    NOW : TIME
    LAST : TIME
    DELTA : TIME
END_VAR
    GET_TIME
    ST NOW
    LD IN
    JMPC RUNNING
    LD FALSE
    ST Q
    LD PDT
    ST CDT
    RET
RUNNING:
    LD Q
    JMPC ADVANCE
    LD TRUE
    ST Q
    LD PDT
    ST CDT
    LD NOW
    ST LAST
ADVANCE:
    LD NOW
    SUB LAST
    ST DELTA
    GE T#0ms
    JMPC NOWRAP
    LD DELTA
    ADD T#1d
    ST DELTA
NOWRAP:
    LD NOW
    ST LAST
    LD CDT
    ADD DELTA
    ST CDT
    LT T#1d
    JMPC DONE
    LD CDT
    SUB T#1d
    ST CDT
DONE:
END_FUNCTION_BLOCK
