(* Garage door: Open and Close start the motor, the limit switches stop it, Stop stops it *)
(* anywhere. An obstacle in the light barrier stops closing and opens the door again.    *)
(* Ten seconds after the door is fully open it closes by itself (AUTO_CLOSE). The warning *)
(* light flashes while the door moves. OPENING and CLOSING are reset-dominant RS latches. *)
(* Open the visualization "Garage door" and press Run.                                   *)
PROGRAM GARAGE_DOOR
VAR
    CLOSED_LIMIT AT %IX0.0 : BOOL
    OPEN_LIMIT AT %IX0.1 : BOOL
    OPEN_BTN AT %IX0.2 : BOOL
    CLOSE_BTN AT %IX0.3 : BOOL
    STOP_BTN AT %IX0.4 : BOOL
    OBSTACLE AT %IX0.5 : BOOL
    MOTOR_UP AT %QX0.0 : BOOL
    MOTOR_DOWN AT %QX0.1 : BOOL
    WARNING AT %QX0.2 : BOOL
    OPENING : RS
    CLOSING : RS
    AUTO_CLOSE : TON
    FLASH : TON
    FLASH_ON : BOOL
END_VAR

(* Closing: Close button or the auto-close timer; stopped by the lower limit, Stop, *)
(* Open or an obstacle *)
    LD CLOSE_BTN
    OR AUTO_CLOSE.Q
    ST CLOSING.S
    LD CLOSED_LIMIT
    OR STOP_BTN
    OR OPEN_BTN
    OR OBSTACLE
    ST CLOSING.R1
    CAL CLOSING

(* Opening: Open button, or an obstacle while the door was closing; stopped by the *)
(* upper limit, Stop or Close *)
    LD OPEN_BTN
    OR( OBSTACLE
    AND MOTOR_DOWN
    )
    ST OPENING.S
    LD OPEN_LIMIT
    OR STOP_BTN
    OR CLOSING.Q1
    ST OPENING.R1
    CAL OPENING

    LD OPENING.Q1
    ANDN CLOSING.Q1
    ST MOTOR_UP
    LD CLOSING.Q1
    ANDN OPENING.Q1
    ST MOTOR_DOWN

(* Close again 10 s after the door is fully open, unless something is in the way *)
    LD OPEN_LIMIT
    ANDN OBSTACLE
    ST AUTO_CLOSE.IN
    LD T#10s
    ST AUTO_CLOSE.PT
    CAL AUTO_CLOSE

(* Warning light: flashes while the motor runs *)
    LDN FLASH.Q
    ST FLASH.IN
    LD T#400ms
    ST FLASH.PT
    CAL FLASH
    LD FLASH.Q
    XOR FLASH_ON
    ST FLASH_ON
    AND( MOTOR_UP
    OR MOTOR_DOWN
    )
    ST WARNING
END_PROGRAM
